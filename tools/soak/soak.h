#pragma once
// The soak run: the real window offscreen on the real Qt serial port, the virtual board as a
// child process with faults on the line, a seeded operator at the controls, and the oracle
// judging every look. Phases restart the board with other fault settings.

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "oracle.h"
#include "phases.h"
#include "report.h"
#include "sim_lines.h"
#include "tools/board_process.h"
#include "tools/pass_through_port.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace quellbox::ui {
class MainForm;
class SpinBar;
}  // namespace quellbox::ui

namespace quellbox::soak {

struct SoakOptions {
    Millis duration{60'000};
    std::uint32_t seed = 1;
    std::vector<std::string> kinds;  // empty: all
    QString sim_program;
    bool verbose = false;
};

class Soak final : private tools::PortObserver, private LookSource {
  public:
    explicit Soak(SoakOptions options);
    ~Soak() override;
    Soak(const Soak&) = delete;
    Soak& operator=(const Soak&) = delete;

    SoakReport run();

  private:
    // PortObserver
    void receive_begins() override { oracle_.receive_begins(); }
    void byte_read(std::uint8_t byte) override { oracle_.byte_read(byte); }
    void receive_ends(std::span<const std::uint8_t> /*bytes*/) override { oracle_.receive_ends(); }
    void frame_written(std::span<const std::uint8_t> bytes) override;
    void port_lost() override;
    // LookSource
    Look look(int channel) const override;

    // soak.cpp: the run, its phases and the board.
    void find_controls();
    void run_start_up();
    void run_phase(const PhasePlan& plan);
    void on_sim_line(const SimLine& line);

    // soak_operator.cpp: the operator.
    void schedule(Millis delay, std::function<void()> action);
    Millis random_ms(int low, int high);
    void next_action();
    void count(const std::string& action) { ++actions_[action]; }
    void click(QWidget* widget);
    void click_open_comm(const char* why);
    void open_when_wanted();
    void click_channel();
    void change_address();
    void close_and_reopen();
    void dismiss_notice();
    void type_into(QLineEdit* field, const QString& text);
    void paste_into(QLineEdit* field, const QString& text);
    bool port_looks_open() const;

    SoakOptions options_;
    std::mt19937 rng_;
    Oracle oracle_;
    std::unique_ptr<ui::MainForm> form_;
    tools::PassThroughPort* port_ = nullptr;  // owned by the window
    QObject scheduler_;                       // context of every scheduled operator action
    std::uint64_t generation_ = 0;            // bumped at phase end: drops actions still scheduled

    QPushButton* open_comm_ = nullptr;
    QPushButton* openall_ = nullptr;
    QPushButton* closeall_ = nullptr;
    QLineEdit* add_ = nullptr;
    QLineEdit* chuankou_num_ = nullptr;
    ui::SpinBar* vscroll1_ = nullptr;
    std::array<QWidget*, 17> picture1_{};
    std::array<QLabel*, 17> label2_{};

    std::unique_ptr<tools::BoardProcess> sim_;
    SimTally phase_tally_;
    SimTally total_tally_;
    long sim_crashes_ = 0;
    std::string sim_error_;

    bool want_open_ = false;
    bool awaiting_reopen_ = false;  // the board hung up; wait for it to come back
    bool address_away_ = false;     // the address field holds something other than "1"
    long reopens_at_open_ = 0;      // the board's reopen count when the port last opened
    long port_losses_ = 0;
    long open_attempts_ = 0;
    long open_failures_ = 0;
    std::map<std::string, long> actions_;
};

}  // namespace quellbox::soak
