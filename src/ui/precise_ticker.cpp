#include "ui/precise_ticker.h"

#include <QSocketNotifier>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#endif

namespace quellbox::ui {

namespace {
#ifdef Q_OS_LINUX
timespec timespec_of(std::chrono::nanoseconds ns) {
    return timespec{static_cast<time_t>(ns.count() / 1'000'000'000),
                    static_cast<long>(ns.count() % 1'000'000'000)};
}
#endif
}  // namespace

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
    connect(&fallback_, &QTimer::timeout, this, [this] { Q_EMIT timeout(); });
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
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const auto first =
            std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec) + interval_;
        itimerspec setting{};
        setting.it_value = timespec_of(first);
        setting.it_interval = timespec_of(interval_);
        ::timerfd_settime(fd_, TFD_TIMER_ABSTIME, &setting, nullptr);
        return;
    }
#endif
    fallback_.start();
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

std::chrono::nanoseconds PreciseTicker::remaining() const {
    if (!active_) return std::chrono::nanoseconds::zero();
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        itimerspec setting{};
        ::timerfd_gettime(fd_, &setting);
        return std::chrono::seconds(setting.it_value.tv_sec) +
               std::chrono::nanoseconds(setting.it_value.tv_nsec);
    }
#endif
    return std::chrono::milliseconds(std::max(fallback_.remainingTime(), 0));
}

void PreciseTicker::on_ready() {
#ifdef Q_OS_LINUX
    std::uint64_t expirations = 0;
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations) return;
    if (expirations > 0 && active_) Q_EMIT timeout();
#endif
}

}  // namespace quellbox::ui
