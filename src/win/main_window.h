#pragma once
// main_form on Windows's own controls: edit controls for the two fields, real vertical scroll
// bars as their spin bars, push buttons, static labels and the sixteen indicator boxes. It
// builds every control in its design-time state, passes each control's event on to the
// matching handler of the logic, and is the window surface the logic writes to. Every handler
// runs on the loop's thread, one at a time: window messages, the poll timer and the port's
// events all wake the same wait.

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "controller/main_form_logic.h"
#include "controller/window_surface.h"
#include "indicator.h"
#include "link/handle_loop.h"
#include "link/notice_words.h"
#include "link/serial_port.h"
#include "notice_window.h"
#include "poll_ticker.h"

namespace quellbox::win {

using controller::channel_count;
using controller::Colour;

// The controls' identifiers (GetDlgItem), for the window's own wiring and for its tests.
enum ControlId : int {
    id_chuankou_num = 101,
    id_VScroll2,
    id_open_comm,
    id_add,
    id_VScroll1,
    id_openall,
    id_closeall,
    id_Label3,
    id_Label5,
    id_Label4 = 200,  // + n
};

class MainWindow final : public controller::WindowSurface {
  public:
    MainWindow(link::win::HandleLoop& loop, link::SerialPort& comm, link::Translate translate);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND window() const { return window_; }
    // Centred on its monitor, shown, the focus in the port-number field.
    void show(int show_command);

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

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void build();
    void lay_out(UINT dpi);
    void on_command(int id, int code);
    void on_scroll(HWND bar, int request);
    LRESULT colour_static(HDC dc, HWND control);
    LRESULT colour_edit(HDC dc, HWND control);
    void set_hint(HWND field, const std::string& text);
    void refresh_port_hint();
    void refresh_add_hint();
    void set_field_text(HWND field, std::string_view text);
    // Passes an event on to its handler; while the window is built or torn down, to nothing.
    template <typename... Params, typename... Args>
    void forward(void (controller::MainFormLogic::*handler)(Params...), Args... args) {
        if (logic_) ((*logic_).*handler)(args...);
    }

    link::win::HandleLoop& loop_;
    link::SerialPort& MSComm1;
    link::Translate translate_;
    HWND window_ = nullptr;
    HWND Label3 = nullptr;
    HWND chuankou_num = nullptr;
    HWND VScroll2 = nullptr;
    HWND open_comm = nullptr;
    HWND Label5 = nullptr;
    HWND add = nullptr;
    HWND VScroll1 = nullptr;
    HWND openall = nullptr;
    HWND closeall = nullptr;
    HWND tooltip_ = nullptr;
    std::array<std::unique_ptr<Indicator>, channel_count + 1> Picture1{};
    std::array<HWND, channel_count + 1> Label4{};
    HFONT font_15_ = nullptr;
    HFONT font_15_75_ = nullptr;
    HFONT font_hint_ = nullptr;
    bool add_refused_ = false;
    bool port_refused_ = false;
    std::unique_ptr<PollTicker> Timer1;
    std::unique_ptr<NoticeWindow> notice_;
    std::unique_ptr<controller::MainFormLogic> logic_;
};

}  // namespace quellbox::win
