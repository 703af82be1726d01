#pragma once
// The bench's helpers around other processes: the virtual board (its time-stamped output going
// to a file, so nothing reads it while the window is measured) and its log read back, the
// reference loops, a private X server, and the one core the measured processes share.

#include <QJsonArray>
#include <QProcess>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/board_process.h"
#include "tools/private_runtime_dir.h"

namespace quellbox::bench {

// Ends the bench with `message` on standard error.
[[noreturn]] void die(const std::string& message, int code = 1);

// One line of `quellbox-board-sim --timestamps`: "<microseconds> <kind> <rest>".
struct SimLine {
    std::int64_t t_us = 0;  // CLOCK_MONOTONIC, the clock of std::chrono::steady_clock
    QString kind;           // "rx", "tx", "ready", ...
    QString rest;           // for rx and tx the frame, "55 01 10 00 00 00 00 66"
};
std::vector<SimLine> read_sim_log(const QString& path);
// When frames arrived at the board from `from_us` to `to_us`.
std::vector<double> frames_at_board(const std::vector<SimLine>& board, double from_us,
                                    double to_us);

// The virtual board as port 1 in `runtime_dir`, logging to `log_name` there; `paced` replies
// byte by byte at the line rate, otherwise each in one write, as a USB adapter hands them over.
tools::BoardLaunch board_launch(const QString& runtime_dir, const QString& log_name, bool paced);

// The programs the window is measured against, each polling a virtual board of its own: a
// pyserial script, a minimal C loop and the Qt floor (docs/performance.md).
enum class LoopKind { script, c_loop, qt_floor };

class ReferenceLoop {
  public:
    // `period` between polls (see loop_period.h); `environment` for the Qt floor's platform.
    ReferenceLoop(LoopKind kind, bool paced, std::chrono::nanoseconds period,
                  const QProcessEnvironment& environment);
    qint64 pid() const { return loop_.processId(); }
    const QString& board_log() const { return board_log_; }
    // Ends the loop, then its board, so the log is complete.
    void stop();

  private:
    tools::PrivateRuntimeDir runtime_{QStringLiteral("quellbox-bench-loop")};
    QString board_log_;
    std::unique_ptr<tools::BoardProcess> board_;
    QProcess loop_;
};

// Starts a private Xvfb in `server`; its display (":N") once it accepts connections, or
// nothing.
QString start_x_server(QProcess& server);

// The three load averages of /proc/loadavg.
QJsonArray load_average();

// Confines this process, and every process it starts from now on, to the last core it may use
// (docs/performance.md says why); that core, or nothing when it cannot be done.
std::optional<int> pin_to_one_core();
// Moves process `pid` (0: the calling thread) off `core`, or back onto it alone.
void keep_off_core(qint64 pid, int core, bool off = true);

}  // namespace quellbox::bench
