#pragma once
// The measured process: the real main_form on the real Qt serial port (behind a stamping
// pass-through port), against the virtual board the orchestrator started. It stamps every poll
// tick, receive event, channel paint and scripted click, and writes the raw samples as JSON for
// the orchestrator to put next to the board's own time stamps.
//
// In plain mode it is the window as the program runs it, on the bare serial port with nothing
// stamped, for what the orchestrator measures from outside beside the reference loops: quiet
// polling between the phases "polling" and "polled" it announces on standard output.

#include <QString>

namespace quellbox::bench {

struct WindowRunOptions {
    // Measure mode: quiet polling for a third of this (at least 5 s), then polling with a
    // scripted click about every half second for the rest. Plain mode: quiet polling for all
    // of it.
    double seconds = 60;
    QString out_path;  // measure mode: the raw samples, JSON
};

int run_window(int& argc, char** argv, const WindowRunOptions& options);
int run_plain_window(int& argc, char** argv, const WindowRunOptions& options);

}  // namespace quellbox::bench
