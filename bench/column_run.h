#pragma once
// The parts of quellbox-bench. One column: the window in a child process of its own against a
// fresh virtual board, first with every event stamped (window_run.cpp; its figures,
// analysis.cpp), then as the program runs it with the script loop, the C loop and the Qt floor
// polling boards of their own beside it, all measured from outside at the moments the child
// announces (column_run.cpp).

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/poll_rules.h"
#include "processes.h"
#include "stats.h"
#include "tools/private_runtime_dir.h"

namespace quellbox::bench {

inline constexpr double tick_ms = link::poll_interval_ms;

struct ColumnSetup {
    QString label;          // "idle", "xvfb", "whole", "loaded"
    bool x_server = false;  // the window on Xvfb instead of the offscreen platform
    bool paced = true;      // replies byte by byte at the line rate, else in one write
    bool loaded = false;    // a busy loop on the second core
};

// Nothing for a word other than the four labels.
std::optional<ColumnSetup> column_setup(const QString& label);

struct ColumnOptions {
    double seconds = 60;
    QString self;             // this program, run again with --window-run
    std::optional<int> core;  // the one core the measured processes share, if pinned
};

struct Column {
    QString label;
    QJsonObject json;  // every figure of the column
    // Samples for the plot.
    std::vector<double> tick_periods_ms;       // at the tick handler
    std::vector<double> board_periods_ms;      // between frames arriving at the board
    std::vector<double> click_latencies_ms;    // click to the command's last byte at the board
    std::vector<double> status_to_painted_ms;  // frames that changed a look
};

// Exits the bench with a message when the column cannot be measured.
Column run_column(const ColumnOptions& options, const ColumnSetup& setup,
                  const tools::PrivateRuntimeDir& runtime);

// The stamped run's figures: `run` is the measured process's JSON, put next to the board's log
// of the same run; `spawn_us` the moment the bench started that process.
Column analyse(const QString& label, const QJsonObject& run, const std::vector<SimLine>& board,
               std::int64_t spawn_us);

// The measured child process: the real main_form on the real Qt serial port against the board
// the orchestrator started. Stamped: behind a stamping pass-through port, quiet polling for a
// third of `seconds` (at least 5 s), then a scripted click about every half second; the raw
// samples go to `out_path` as JSON. Plain: the window as the program runs it, nothing stamped,
// polling quietly for `seconds` between the phases "polling" and "polled" it announces on
// standard output.
int run_window(int& argc, char** argv, double seconds, const QString& out_path);
int run_plain_window(int& argc, char** argv, double seconds);

// Histograms of the columns' samples, drawn into a PNG (plot.cpp).
bool draw_plot(const QString& path, const std::vector<Column>& columns, const QString& subtitle);

// The table of quellboxctl's timings (ctl_bench.cpp), from `runs` runs of each command against
// a board of its own in `runtime`.
QString time_quellboxctl(int runs, const tools::PrivateRuntimeDir& runtime);

}  // namespace quellbox::bench
