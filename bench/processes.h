#pragma once
// The bench's helpers around other processes: how the virtual board is started (its time-stamped
// output going to a file, so nothing reads it while the window is measured), the board's log
// read back afterwards, and a busy loop that keeps one core loaded.

#include <QProcess>
#include <QString>
#include <chrono>
#include <cstdint>
#include <vector>

#include "tools/board_process.h"

namespace quellbox::bench {

// One line of `quellbox-board-sim --timestamps`: "<microseconds> <kind> <rest>".
struct SimLine {
    std::int64_t t_us = 0;  // CLOCK_MONOTONIC, the clock of std::chrono::steady_clock
    QString kind;           // "rx", "tx", "state", ...
    QString rest;           // for rx and tx the frame, "55 01 10 00 00 00 00 66"
};

// Lines without a time stamp are skipped.
std::vector<SimLine> read_sim_log(const QString& path);

// quellbox-board-sim --timestamps as port 1, publishing in `runtime_dir`, its time-stamped lines
// going to the file `log_name` there. `paced` writes replies byte by byte at the line rate
// (--paced), otherwise each in one write, as a USB adapter hands them over.
tools::BoardLaunch board_launch(const QString& program, const QString& runtime_dir,
                                const QString& log_name, bool paced = true);

// The pseudo-terminal a board logging to `log_path` published, once it is ready ("/dev/pts/3").
QString board_device(const QString& log_path);

// `sh -c 'while :; do :; done'`, ended by its process id with SIGKILL.
class BusyLoop {
  public:
    BusyLoop();
    ~BusyLoop();
    BusyLoop(const BusyLoop&) = delete;
    BusyLoop& operator=(const BusyLoop&) = delete;

    qint64 pid() const { return pid_; }

  private:
    QProcess process_;
    qint64 pid_ = 0;
};

// The three load averages of /proc/loadavg.
std::vector<double> load_average();

}  // namespace quellbox::bench
