#pragma once
// Measure mode: stamps every poll tick, receive event, repaint pass and channel paint with its
// time and the heap allocations it made, into buffers reserved up front.

#include <QString>
#include <cstdint>
#include <vector>

#include "window_observer.h"

namespace quellbox::bench {

struct TickSample {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::uint64_t allocations = 0;
};

struct ReceiveSample {
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool accepted = false;
    bool changed = false;  // some channel's look differs after the handler
    std::uint64_t allocations = 0;
    std::int64_t paint_end = 0;  // end of the last channel paint this frame caused
};

struct ClickSample {
    std::int64_t t = 0;
    std::int64_t since_tick = 0;
    QString frame;  // the command frame the click must produce, as the board logs it
    QString what;
};

class TimingRecorder final : public WindowObserver {
  public:
    TimingRecorder();

    std::vector<TickSample> ticks;
    std::vector<ReceiveSample> receives;
    std::vector<TickSample> passes;
    std::vector<ClickSample> clicks;
    bool measuring = false;
    std::uint64_t byte_events = 0;  // read notifications that did not complete a frame
    std::uint64_t byte_allocations = 0;

  private:
    void on_begin(Watch watch) override;
    void on_end(Watch watch, std::int64_t start, std::int64_t end) override;
    void on_receive_begins() override;
    void on_receive_ends(std::int64_t start, std::int64_t end, bool accepted,
                         bool changed) override;

    std::uint64_t event_allocations_ = 0;
    std::uint64_t receive_allocations_ = 0;
    bool handler_ran_ = false;
    int paint_target_ = -1;  // the receive sample whose frame the next channel paints show
};

}  // namespace quellbox::bench
