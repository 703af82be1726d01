#include "link/precise_ticker.h"

#include <QSocketNotifier>

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
        // A periodic timerfd advances each expiry from the previous one, not from when it was
        // read: the ticks stay on the grid laid from this start.
        const timespec period = link::timespec_of(interval_);
        const itimerspec setting{period, period};
        ::timerfd_settime(fd_, 0, &setting, nullptr);
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

void PreciseTicker::on_ready() {
#ifdef Q_OS_LINUX
    std::uint64_t expirations = 0;
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations) return;
    if (expirations > 0 && active_) Q_EMIT timeout();
#endif
}

}  // namespace quellbox::link
