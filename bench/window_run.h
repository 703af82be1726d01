#pragma once
// The measured process: the real main_form on the real Qt serial port (behind a stamping
// decorator), offscreen, against the paced virtual board. It stamps every poll tick, receive
// event, indicator paint and scripted click, and writes the raw samples as JSON for the
// orchestrating process to put next to the board's own time stamps.
//
// In plain mode it is the window as the program runs it, on the bare serial port with nothing
// stamped or watched, for what the orchestrator measures from outside beside the reference
// loops: quiet polling between the phases "polling" and "polled" it announces on standard output.
//
// In callgrind mode it instead runs a fixed number of ticks with valgrind's collection switched
// on only inside the tick, the serial port's read notifications and the repaint, dumping one
// profile per event, labelled, for the instruction counts.

#include <QString>
#include <cstdint>

namespace quellbox::bench {

struct WindowRunOptions {
    // Measure mode: quiet polling for a third of this (at least 5 s), then polling with a
    // scripted click about every half second for the rest. Plain mode: quiet polling for all
    // of it.
    double seconds = 60;
    // Plain mode: seconds of quiet polling after the measured ones, announced on standard
    // output, for counting system calls from outside (0: none).
    double count_seconds = 0;
    // Callgrind mode when above 0: ticks to profile. This mode starts its own virtual board.
    int callgrind_ticks = 0;
    QString board_sim;  // the simulator program (callgrind mode)
    QString out_path;   // raw samples (measure mode) or event counts (callgrind mode), JSON
    std::int64_t main_start_us = 0;
};

int run_window(int& argc, char** argv, const WindowRunOptions& options);
int run_plain_window(int& argc, char** argv, const WindowRunOptions& options);

}  // namespace quellbox::bench
