#include "timing_recorder.h"

#include "alloc_count.h"

namespace quellbox::bench {

TimingRecorder::TimingRecorder() {
    // Room for a long run up front: growing these while measuring would allocate.
    ticks.reserve(1 << 16);
    receives.reserve(1 << 16);
    passes.reserve(1 << 14);
    clicks.reserve(1 << 12);
}

void TimingRecorder::on_begin(Watch watch) {
    event_allocations_ = allocations();
    if (watch == Watch::tick) paint_target_ = -1;  // later paints belong to no status frame
    if (watch == Watch::serial_read) handler_ran_ = false;
}

void TimingRecorder::on_end(Watch watch, std::int64_t start, std::int64_t end) {
    const std::uint64_t made = allocations() - event_allocations_;
    switch (watch) {
        case Watch::tick:
            ticks.push_back({start, end, made});
            break;
        case Watch::serial_read:
            if (!handler_ran_ && measuring) {
                ++byte_events;
                byte_allocations += made;
            }
            break;
        case Watch::update_request:
            passes.push_back({start, end, made});
            break;
        case Watch::paint_channel:
            if (paint_target_ >= 0)
                receives[static_cast<std::size_t>(paint_target_)].paint_end = end;
            break;
        default:
            break;
    }
}

void TimingRecorder::on_receive_begins() {
    handler_ran_ = true;
    receive_allocations_ = allocations();
}

void TimingRecorder::on_receive_ends(std::int64_t start, std::int64_t end, bool accepted,
                                     bool changed) {
    receives.push_back({start, end, accepted, changed, allocations() - receive_allocations_, 0});
    paint_target_ = changed ? static_cast<int>(receives.size()) - 1 : -1;
}

}  // namespace quellbox::bench
