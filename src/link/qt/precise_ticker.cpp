#include "link/precise_ticker.h"

#include <QSocketNotifier>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>

#include "link/timespec_of.h"
#endif

namespace quellbox::link {

PreciseTicker::PreciseTicker(std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent), interval_(interval) {
#ifdef Q_OS_LINUX
    fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(static_cast<qintptr>(fd_), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &PreciseTicker::on_ready);
        return;
    }
#endif
    fallback_.setInterval(interval_);
    fallback_.setTimerType(Qt::PreciseTimer);
    connect(&fallback_, &QTimer::timeout, this, [this] {
        if (once_) active_ = false;
        Q_EMIT timeout();
    });
}

PreciseTicker::~PreciseTicker() {
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        delete notifier_;  // before its descriptor goes
        ::close(fd_);
    }
#endif
}

void PreciseTicker::start() {
    active_ = true;
    once_ = false;
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        // A periodic timerfd advances each expiry from the previous one, not from when it was
        // read: the ticks stay on the grid laid from this start.
        const timespec period = link::timespec_of(interval_);
        const itimerspec setting{period, period};
        ::timerfd_settime(fd_, 0, &setting, nullptr);
        return;
    }
#endif
    fallback_.setSingleShot(false);
    fallback_.start(interval_);
}

void PreciseTicker::fire_at(std::chrono::steady_clock::time_point at) {
    active_ = true;
    once_ = true;
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        // The steady clock is CLOCK_MONOTONIC here. An all-zero value would disarm the timer,
        // so a moment at or before the clock's origin is asked for as its first nanosecond.
        const auto since_origin = std::max(at.time_since_epoch(), std::chrono::nanoseconds(1));
        const itimerspec setting{{}, link::timespec_of(since_origin)};
        ::timerfd_settime(fd_, TFD_TIMER_ABSTIME, &setting, nullptr);
        return;
    }
#endif
    // Qt counts whole milliseconds: rounded up, as waking early would find nothing due.
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(at - std::chrono::steady_clock::now());
    fallback_.setSingleShot(true);
    fallback_.start(std::max(left, std::chrono::milliseconds(0)));
}

void PreciseTicker::stop() {
    active_ = false;
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        const itimerspec off{};
        ::timerfd_settime(fd_, 0, &off, nullptr);
        return;
    }
#endif
    fallback_.stop();
}

void PreciseTicker::on_ready() {
#ifdef Q_OS_LINUX
    std::uint64_t expirations = 0;
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations) return;
    if (expirations == 0 || !active_) return;
    if (once_) active_ = false;
    Q_EMIT timeout();
#endif
}

}  // namespace quellbox::link
