#pragma once
// main_form, the tool's only window. It builds every control in its design-time state, passes
// each Qt event on to the matching handler of the logic, and is the window surface the logic
// writes to. Nothing of the tool's own runs at start-up: the constructor only builds and wires.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "controller/form_design.h"
#include "controller/main_form_logic.h"
#include "controller/window_surface.h"
#include "link/poll_rules.h"
#include "link/precise_ticker.h"
#include "link/serial_port.h"
#include "ui/indicator_box.h"
#include "ui/operator_notice.h"
#include "ui/spin_bar.h"

namespace quellbox::ui {

using controller::channel_count;
using controller::Colour;
using controller::WindowSurface;

using controller::design::window_caption;
using link::poll_interval_ms;

class MainForm final : public QWidget, public WindowSurface {
    Q_OBJECT
  public:
    // The application's window; the serial port goes with it.
    explicit MainForm(std::unique_ptr<link::SerialPort> comm, QWidget* parent = nullptr);
    ~MainForm() override;

    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // WindowSurface.
    void set_indicator_colour(int n, Colour colour) override;
    Colour indicator_colour(int n) const override;
    void set_caption(int n, std::string_view text) override;
    void set_openall_enabled(bool enabled) override;
    void set_closeall_enabled(bool enabled) override;
    void set_timer_enabled(bool enabled) override;
    void set_port_field_enabled(bool enabled) override;
    void set_open_comm_caption(std::string_view text) override;
    std::string add_text() const override;
    void set_add_text(std::string_view text) override;
    std::string port_text() const override;
    void set_port_text(std::string_view text) override;
    std::int16_t vscroll1_value() const override;
    void set_vscroll1_value(std::int16_t value) override;
    std::int16_t vscroll2_value() const override;
    void set_vscroll2_value(std::int16_t value) override;
    void set_add_text_refused(bool refused) override;
    void set_port_text_refused(bool refused) override;
    void notify_open_failed(std::string_view port_text, const link::OpenResult& result) override;
    void notify_port_lost(std::string_view device, std::string_view reason) override;

    // Places the window in the middle of the screen it is on.
    void centre_on_screen();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Passes an event on to its handler; once the window is being torn down, to nothing.
    template <typename... Params, typename... Args>
    void forward(void (controller::MainFormLogic::*handler)(Params...), Args... args) {
        if (logic_) ((*logic_).*handler)(args...);
    }

    void build_window();
    void build_fields();
    void build_channels();
    void build_buttons();
    void wire_events();
    void set_focus_order();
    void refresh_port_tooltip();
    void explain_add_field(bool refused);

    std::unique_ptr<link::SerialPort> comm_;
    link::SerialPort& MSComm1;

    QLabel* Label3 = nullptr;
    QLineEdit* chuankou_num = nullptr;
    SpinBar* VScroll2 = nullptr;
    QPushButton* open_comm = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* add = nullptr;
    SpinBar* VScroll1 = nullptr;
    QPushButton* openall = nullptr;
    QPushButton* closeall = nullptr;
    link::PreciseTicker* Timer1 = nullptr;
    // Control arrays numbered 1 to 16 like the channels; element 0 is unused.
    std::array<IndicatorBox*, channel_count + 1> Picture1{};
    std::array<CaptionLabel*, channel_count + 1> Label2{};
    std::array<QLabel*, channel_count + 1> Label4{};
    // What each caption was last given, in the logic's own encoding: a status frame rewrites
    // all sixteen, and comparing with the label's UTF-16 text cost more than the rest of the
    // frame's handling together.
    std::array<std::string, channel_count + 1> caption_written_{};

    bool port_refused_ = false;
    OperatorNotice notice_;
    std::unique_ptr<controller::MainFormLogic> logic_;
};

}  // namespace quellbox::ui
