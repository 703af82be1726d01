#include "window_observer.h"

#include <algorithm>

#include "link/frames.h"
#include "tools/time_units.h"
#include "ui/main_form.h"

namespace quellbox::bench {

using tools::now_us;

void WindowObserver::begin(Watch watch) {
    event_start_ = now_us();
    on_begin(watch);
}

void WindowObserver::end(Watch watch) {
    const std::int64_t start = event_start_;
    const std::int64_t t = now_us();
    on_end(watch, start, t);
    if (watch == Watch::tick) {
        if (milestones_.first_tick == 0) milestones_.first_tick = start;
        milestones_.last_tick_start = start;
    }
    if ((watch == Watch::paint_channel || watch == Watch::paint_other) &&
        milestones_.first_paint == 0) {
        milestones_.first_paint = t;
    }
}

void WindowObserver::receive_begins() {
    own_work_begins();
    for (int n = 1; n <= controller::channel_count; ++n) {
        colours_before_[static_cast<std::size_t>(n)] = form_->indicator_colour(n);
    }
    own_work_ends();
    receive_start_ = now_us();
    on_receive_begins();
}

void WindowObserver::receive_ends(std::span<const std::uint8_t> bytes) {
    const std::int64_t t = now_us();
    own_work_begins();
    link::Frame frame{};
    const bool whole = bytes.size() >= frame.size();
    if (whole) std::copy_n(bytes.begin(), frame.size(), frame.begin());
    const bool accepted = whole && link::is_valid_status_frame(frame);
    const bool changed = looks_changed();
    own_work_ends();
    if (accepted && milestones_.first_accept == 0) milestones_.first_accept = receive_start_;
    on_receive_ends(receive_start_, t, accepted, changed);
}

bool WindowObserver::looks_changed() const {
    for (int n = 1; n <= controller::channel_count; ++n) {
        if (colours_before_[static_cast<std::size_t>(n)] != form_->indicator_colour(n)) return true;
    }
    return false;
}

}  // namespace quellbox::bench
