#pragma once
// Puts one measured run next to the board's log of the same run and works out the figures:
// tick periods as the window and as the board saw them, click to frame at the board, status in
// to painted, CPU, memory, start-up and allocations.

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <vector>

#include "link/poll_rules.h"
#include "processes.h"
#include "stats.h"

namespace quellbox::bench {

inline constexpr double tick_ms = link::poll_interval_ms;

struct Column {
    QString label;     // "idle", "loaded"
    QJsonObject json;  // every figure of the column
    // Samples for the plot.
    std::vector<double> tick_periods_ms;       // at the tick handler
    std::vector<double> board_periods_ms;      // between frames arriving at the board
    std::vector<double> click_latencies_ms;    // click to the command's last byte at the board
    std::vector<double> status_to_painted_ms;  // frames that changed a look
};

// `run` is the measured process's JSON; `spawn_us` the moment the bench started that process.
Column analyse(const QString& label, const QJsonObject& run, const std::vector<SimLine>& board,
               std::int64_t spawn_us);

QJsonObject to_json(const Summary& summary);

}  // namespace quellbox::bench
