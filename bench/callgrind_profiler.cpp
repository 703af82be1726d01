#include "callgrind_profiler.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define QUELLBOX_BENCH_HAVE_CALLGRIND 1
#endif

namespace quellbox::bench {
namespace {

// Callgrind's client requests; without valgrind's header they do nothing.
#ifdef QUELLBOX_BENCH_HAVE_CALLGRIND
bool running() {
    return RUNNING_ON_VALGRIND != 0;
}
void start_instrumentation() {
    CALLGRIND_START_INSTRUMENTATION;
}
void stop_instrumentation() {
    CALLGRIND_STOP_INSTRUMENTATION;
}
void toggle_collect() {
    CALLGRIND_TOGGLE_COLLECT;
}
void dump_stats(const std::string& label) {
    CALLGRIND_DUMP_STATS_AT(label.c_str());
}
#else
bool running() {
    return false;
}
void start_instrumentation() {}
void stop_instrumentation() {}
void toggle_collect() {}
void dump_stats(const std::string&) {}
#endif

}  // namespace

bool CallgrindProfiler::under_valgrind() {
    return running();
}

void CallgrindProfiler::start(int ticks, std::function<void(int)> after_tick) {
    ticks_to_profile_ = ticks;
    after_tick_ = std::move(after_tick);
    profiling_ = true;
    start_instrumentation();
}

void CallgrindProfiler::stop() {
    profiling_ = false;
    collect(false);
    stop_instrumentation();
}

void CallgrindProfiler::own_work_begins() {
    if (collecting_) toggle_collect();
}

void CallgrindProfiler::own_work_ends() {
    if (collecting_) toggle_collect();
}

void CallgrindProfiler::collect(bool on) {
    if (collecting_ == on) return;
    toggle_collect();
    collecting_ = on;
}

void CallgrindProfiler::dump(const std::string& label) {
    dump_stats(label);
    ++dumps_[label.substr(0, label.find(' '))];
}

// Bytes of a frame collected but not dumped when something else starts: their own dump.
void CallgrindProfiler::dump_stray_bytes() {
    if (!bytes_pending_) return;
    dump("stray events=" + std::to_string(read_events_pending_));
    bytes_pending_ = false;
    read_events_pending_ = 0;
}

void CallgrindProfiler::on_begin(Watch watch) {
    if (!profiling_) return;
    switch (watch) {
        case Watch::tick:
        case Watch::update_request:
            dump_stray_bytes();
            collect(true);
            break;
        case Watch::serial_read:
            handler_ran_ = false;
            ++read_events_pending_;
            ++read_events_total_;
            collect(true);
            break;
        default:
            break;
    }
}

void CallgrindProfiler::on_end(Watch watch, std::int64_t, std::int64_t) {
    if (!profiling_) return;
    switch (watch) {
        case Watch::tick:
            collect(false);
            dump("tick");
            ++ticks_profiled_;
            if (after_tick_) after_tick_(ticks_profiled_);
            break;
        case Watch::update_request:
            collect(false);
            dump("paint");
            break;
        case Watch::serial_read:
            collect(false);
            if (handler_ran_) {
                // Every read notification of this frame, the last one with the handler.
                dump(std::string(last_receive_changed_ ? "frame-changed" : "frame-same") +
                     " events=" + std::to_string(read_events_pending_));
                bytes_pending_ = false;
                read_events_pending_ = 0;
            } else {
                bytes_pending_ = true;
            }
            break;
        default:
            break;
    }
}

}  // namespace quellbox::bench
