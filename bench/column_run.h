#pragma once
// One column of the bench: the window in a child process of its own against a fresh virtual
// board, with the script loop and the C loop polling boards of their own beside it, all
// measured from outside at the same moments the child announces.

#include <QString>
#include <optional>

#include "analysis.h"
#include "processes.h"
#include "tools/private_runtime_dir.h"

namespace quellbox::bench {

struct ColumnSetup {
    QString label;
    bool x_server = false;  // the window on Xvfb instead of the offscreen platform
    bool paced = true;      // replies byte by byte at the line rate, else in one write
    bool loaded = false;    // a busy loop on the second core
};

// "idle", "xvfb", "whole", "loaded"; nothing for another word.
std::optional<ColumnSetup> column_setup(const QString& label);

struct ColumnOptions {
    double seconds = 60;
    double count_seconds = 5;  // the system-call counting phase
    QString board_sim;
    QString self;             // this program, run again with --window-run
    std::optional<int> core;  // the one core the measured processes share, if pinned
};

// Exits the bench with a message when the column cannot be measured.
Column run_column(const ColumnOptions& options, const ColumnSetup& setup,
                  const tools::PrivateRuntimeDir& runtime);

}  // namespace quellbox::bench
