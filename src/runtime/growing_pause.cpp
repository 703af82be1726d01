#include "runtime/growing_pause.h"

#include <algorithm>

namespace quellbox::runtime {

GrowingPause::GrowingPause(std::chrono::milliseconds first, std::chrono::milliseconds longest,
                           std::function<void()> attempt)
    : first_(first), longest_(longest), next_(first) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, std::move(attempt));
}

void GrowingPause::schedule() {
    timer_.start(next_);
    next_ = std::min(next_ * 2, longest_);
}

void GrowingPause::reset() {
    next_ = first_;
}

void GrowingPause::cancel() {
    timer_.stop();
}

}  // namespace quellbox::runtime
