#include "timing_recorder.h"

#include <QSocketNotifier>
#include <algorithm>

#include "alloc_count.h"
#include "link/frames.h"
#include "link/precise_ticker.h"
#include "tools/time_units.h"
#include "ui/indicator_box.h"
#include "ui/main_form.h"

namespace quellbox::bench {

using tools::now_us;

TimingRecorder::TimingRecorder(int& argc, char** argv) : QApplication(argc, argv) {
    ticks.reserve(1 << 16);
    receives.reserve(1 << 16);
    clicks.reserve(1 << 12);
}

bool TimingRecorder::notify(QObject* receiver, QEvent* event) {
    if (form_ == nullptr) return QApplication::notify(receiver, event);
    // Timer1 ticks through a notifier of its own.
    if (event->type() == QEvent::SockAct && receiver->parent() == timer1_ &&
        qobject_cast<QSocketNotifier*>(receiver) != nullptr) {
        const std::int64_t start = now_us();
        const std::uint64_t allocations_before = allocations();
        paint_target_ = -1;  // later paints belong to no status frame
        const bool handled = QApplication::notify(receiver, event);
        ticks.push_back({start, allocations() - allocations_before});
        if (first_tick == 0) first_tick = start;
        return handled;
    }
    if (event->type() != QEvent::Paint) return QApplication::notify(receiver, event);
    const bool handled = QApplication::notify(receiver, event);
    const std::int64_t t = now_us();
    const bool channel = qobject_cast<ui::IndicatorBox*>(receiver) != nullptr ||
                         qobject_cast<ui::CaptionLabel*>(receiver) != nullptr;
    if (channel && paint_target_ >= 0)
        receives[static_cast<std::size_t>(paint_target_)].paint_end = t;
    return handled;
}

void TimingRecorder::receive_begins() {
    for (int n = 1; n <= controller::channel_count; ++n) {
        colours_before_[static_cast<std::size_t>(n)] = form_->indicator_colour(n);
    }
    started_ = now_us();
    allocations_at_start_ = allocations();
}

void TimingRecorder::receive_ends(std::span<const std::uint8_t> bytes) {
    const std::int64_t t = now_us();
    const std::uint64_t made = allocations() - allocations_at_start_;
    link::Frame frame{};
    const bool whole = bytes.size() >= frame.size();
    if (whole) std::copy_n(bytes.begin(), frame.size(), frame.begin());
    const bool accepted = whole && link::is_valid_status_frame(frame);
    bool changed = false;
    for (int n = 1; n <= controller::channel_count; ++n) {
        changed |= colours_before_[static_cast<std::size_t>(n)] != form_->indicator_colour(n);
    }
    if (accepted && first_accept == 0) first_accept = started_;
    receives.push_back({started_, t, accepted, changed, made, 0});
    paint_target_ = changed ? static_cast<int>(receives.size()) - 1 : -1;
}

}  // namespace quellbox::bench
