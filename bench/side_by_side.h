#pragma once
// The window and the reference loops measured alike in the same column: CPU and wake-ups from
// the kernel's counters while quietly polling, system calls per tick from a counting phase,
// and tick regularity as each one's own board saw it.

#include <QJsonObject>
#include <QString>
#include <chrono>
#include <map>
#include <vector>

#include "loop_period.h"
#include "process_counters.h"
#include "processes.h"

namespace quellbox::bench {

struct MeasuredProcess {
    QString name;                                     // "window", "script", "c_loop", "qt_floor"
    std::chrono::nanoseconds period = window_period;  // between its polls
    ProcessCounters polling_start;
    ProcessCounters polling_end;
    // Read about once a second from polling_start to polling_end (both included), at the same
    // moments for every process, so that seconds of a host busy elsewhere can be told apart.
    std::vector<ProcessCounters> polling_seconds;
    std::vector<SimLine> board;          // its own board's log
    std::map<QString, double> syscalls;  // over the counting phase; empty if not counted
    std::int64_t counting_start_us = 0;
    std::int64_t counting_end_us = 0;
};

// One object per process, and the window's ratios to the others ("cpu_vs_script", ...).
QJsonObject compare_side_by_side(const std::vector<MeasuredProcess>& processes);

}  // namespace quellbox::bench
