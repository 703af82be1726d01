#include "stop_signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>

#ifdef Q_OS_LINUX
#include <sys/signalfd.h>
#include <unistd.h>
#endif

namespace quellbox::ctl {

#ifdef Q_OS_LINUX

namespace {
sigset_t stop_set() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}
}  // namespace

void block_stop_signals() {
    const sigset_t set = stop_set();
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
}

void die_of(int signal_number) {
    std::signal(signal_number, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal_number);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal_number);
    std::_Exit(128 + signal_number);  // only if the signal was ignored after all
}

StopSignals::StopSignals(std::function<void(int)> on_signal) : on_signal_(std::move(on_signal)) {
    const sigset_t set = stop_set();
    fd_ = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        signalfd_siginfo info{};
        while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            if (on_signal_) on_signal_(static_cast<int>(info.ssi_signo));
        }
    });
}

StopSignals::~StopSignals() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
}

#else

void block_stop_signals() {}

void die_of(int signal_number) {
    std::_Exit(128 + signal_number);
}

StopSignals::StopSignals(std::function<void(int)> on_signal) : on_signal_(std::move(on_signal)) {}
StopSignals::~StopSignals() = default;

#endif

}  // namespace quellbox::ctl
