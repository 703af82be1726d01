#include "poll_ticker.h"

#include <stdexcept>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace quellbox::win {
namespace {

std::int64_t now_filetime() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace

PollTicker::PollTicker(link::win::HandleLoop& loop, std::chrono::milliseconds period,
                       std::function<void()> on_tick)
    : loop_(loop), period_(period.count() * 10'000), on_tick_(std::move(on_tick)) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                    TIMER_ALL_ACCESS);
    high_resolution_ = timer_ != nullptr;
    if (timer_ == nullptr) timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (timer_ == nullptr) throw std::runtime_error("no waitable timer for the poll");
    loop_.watch(timer_, [this] { fire(); });
}

PollTicker::~PollTicker() {
    loop_.unwatch(timer_);
    CancelWaitableTimer(timer_);
    CloseHandle(timer_);
}

void PollTicker::start() {
    if (active_) return;
    active_ = true;
    origin_ = now_filetime();
    next_ = origin_;
    arm_next();
}

void PollTicker::stop() {
    active_ = false;
    CancelWaitableTimer(timer_);
}

// The next grid point still ahead; points the thread slept through are skipped rather than
// delivered in a burst, as a timer that fires late coalesces its missed ticks.
void PollTicker::arm_next() {
    const std::int64_t now = now_filetime();
    next_ += period_;
    if (next_ <= now) next_ += ((now - next_) / period_ + 1) * period_;
    LARGE_INTEGER due;
    due.QuadPart = next_;  // positive: an absolute time
    SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
}

void PollTicker::fire() {
    if (!active_) return;
    arm_next();
    // The tick may stop the ticker, or stop and start it on a fresh grid: arm first.
    on_tick_();
}

}  // namespace quellbox::win
