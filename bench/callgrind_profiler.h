#pragma once
// Callgrind mode: collects instructions only inside the poll tick, the serial port's read
// notifications and the repaint pass, and dumps one labelled profile per event ("tick",
// "frame-same", "frame-changed", "paint", "stray").

#include <functional>
#include <map>
#include <string>

#include "window_observer.h"

namespace quellbox::bench {

class CallgrindProfiler final : public WindowObserver {
  public:
    static bool under_valgrind();

    // Profiles the next `ticks` poll ticks; `after_tick` is called after each with its count.
    void start(int ticks, std::function<void(int)> after_tick);
    bool done() const { return ticks_profiled_ >= ticks_to_profile_; }
    void stop();

    const std::map<std::string, int>& dumps() const { return dumps_; }
    int ticks_profiled() const { return ticks_profiled_; }
    int read_events() const { return read_events_total_; }

  private:
    void on_begin(Watch watch) override;
    void on_end(Watch watch, std::int64_t start, std::int64_t end) override;
    void on_receive_begins() override { handler_ran_ = true; }
    void on_receive_ends(std::int64_t, std::int64_t, bool, bool changed) override {
        last_receive_changed_ = changed;
    }
    void own_work_begins() override;
    void own_work_ends() override;

    void collect(bool on);
    void dump(const std::string& label);
    void dump_stray_bytes();

    bool profiling_ = false;
    bool collecting_ = false;
    bool handler_ran_ = false;
    bool last_receive_changed_ = false;
    bool bytes_pending_ = false;
    int read_events_pending_ = 0;
    int read_events_total_ = 0;
    int ticks_to_profile_ = 0;
    int ticks_profiled_ = 0;
    std::function<void(int)> after_tick_;
    std::map<std::string, int> dumps_;
};

}  // namespace quellbox::bench
