#pragma once
// The soak run: the real window offscreen on the real Qt serial port, the virtual board as a
// child process with faults on the line, a seeded operator at the controls, and the oracle
// judging every look. Phases restart the board with other fault settings.

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/qt_serial_port.h"
#include "oracle.h"
#include "recording_port.h"
#include "sim_lines.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace quellbox::ui {
class MainForm;
class SpinBar;
}  // namespace quellbox::ui

namespace quellbox::soak {

using Millis = std::chrono::milliseconds;

struct PhasePlan {
    std::string name;
    QStringList sim_args;  // fault settings, seed and initial relays
    Millis length;
};

// The kinds of phase, in the order they run.
const std::vector<std::string>& phase_kinds();

// Phases of the given kinds (all when empty) in turn, each with its own seed and settings drawn
// from `seed`, filling `total`. Quiet periods of the board range from 150 ms to 600 ms across
// the phases: shorter and longer than six 50 ms ticks.
std::vector<PhasePlan> plan_phases(Millis total, std::uint32_t seed,
                                   std::vector<std::string> kinds = {});

// Memory and CPU of this process, and the CPU of the children it has waited for.
struct ProcessFigures {
    long rss_kib = 0;  // VmRSS
    long hwm_kib = 0;  // VmHWM, the peak so far
    double cpu_s = 0;
    double children_cpu_s = 0;
};
ProcessFigures process_figures();

// The virtual board as a child process; each report line goes to `on_line` as it comes.
class SimProcess {
  public:
    SimProcess(const QString& program, const QStringList& arguments,
               std::function<void(const SimLine&)> on_line);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return ready_; }
    // Ended on its own (or by a signal we did not send) before stop().
    bool died() const { return died_; }
    // SIGTERM, wait, and hand on every line it printed before it went.
    void stop();

  private:
    void take_output();

    QProcess process_;
    QByteArray pending_;
    std::function<void(const SimLine&)> on_line_;
    bool ready_ = false;
    bool stopping_ = false;
    bool died_ = false;
};

struct SoakOptions {
    Millis duration{60'000};
    std::uint32_t seed = 1;
    std::vector<std::string> kinds;  // empty: all
    QString sim_program;
    bool verbose = false;
};

struct SoakReport {
    double duration_s = 0;
    int phases = 0;
    Oracle::Counts counts;
    long wrong_looks = 0;
    long line_faults = 0;
    std::map<std::string, long> violations;
    std::vector<std::string> examples;
    SimTally sim;
    long sim_crashes = 0;
    long port_losses = 0;
    long open_attempts = 0;
    long open_failures = 0;
    std::map<std::string, long> actions;
    long actions_total = 0;
    ProcessFigures start;
    ProcessFigures end;
    std::string error;  // why the run could not go on, if it could not
};

class Soak final : private PortObserver, private LookSource {
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
    void receive_ends() override { oracle_.receive_ends(); }
    void frame_written(std::span<const std::uint8_t> bytes) override;
    void port_lost() override;
    // LookSource
    Look look(int channel) const override;

    void find_controls();
    void run_start_up();
    void run_phase(const PhasePlan& plan);
    void on_sim_line(const SimLine& line);

    // The operator.
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
    void type_into(QLineEdit* field, const QString& text);
    void paste_into(QLineEdit* field, const QString& text);
    bool port_looks_open() const;

    SoakOptions options_;
    std::mt19937 rng_;
    link::QtSerialPort real_port_;
    RecordingPort port_;
    Oracle oracle_;
    std::unique_ptr<ui::MainForm> form_;
    QObject scheduler_;             // context of every scheduled operator action
    std::uint64_t generation_ = 0;  // bumped at phase end: drops actions still scheduled

    QPushButton* open_comm_ = nullptr;
    QPushButton* openall_ = nullptr;
    QPushButton* closeall_ = nullptr;
    QLineEdit* add_ = nullptr;
    QLineEdit* chuankou_num_ = nullptr;
    ui::SpinBar* vscroll1_ = nullptr;
    std::array<QWidget*, 17> picture1_{};
    std::array<QLabel*, 17> label2_{};

    std::unique_ptr<SimProcess> sim_;
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
