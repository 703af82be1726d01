#include "runtime/quit_on_signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#endif

namespace quellbox::runtime {

#ifndef Q_OS_WIN
namespace {

// Both ends of the self-pipe; the handler writes to [1].
std::array<int, 2> wake_pipe{-1, -1};

extern "C" void on_quit_signal(int signal_number) {
    const int saved = errno;  // the interrupted code may be about to read errno
    const auto byte = static_cast<unsigned char>(signal_number);
    // Nothing else is safe here. A full pipe already holds a pending quit.
    [[maybe_unused]] const ssize_t written = ::write(wake_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

int quit_signal_descriptor() {
    if (wake_pipe[0] >= 0) return wake_pipe[0];
    if (::pipe2(wake_pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) return -1;

    struct sigaction action {};
    action.sa_handler = on_quit_signal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction inherited {};
        if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) {
            continue;
        }
        ::sigaction(signal, &action, nullptr);
    }
    return wake_pipe[0];
}

QuitSignals::QuitSignals(std::function<void(int)> on_signal, QObject* parent)
    : QObject(parent), on_signal_(std::move(on_signal)) {
    const int descriptor = quit_signal_descriptor();
    if (descriptor < 0) return;
    notifier_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this, descriptor] {
        unsigned char numbers[16];
        ssize_t count = 0;
        while ((count = ::read(descriptor, numbers, sizeof numbers)) > 0) {
            for (ssize_t i = 0; i < count; ++i) {
                if (on_signal_) on_signal_(numbers[i]);
            }
        }
    });
}

void die_of(int signal_number) {
    std::signal(signal_number, SIG_DFL);
    sigset_t set;
    ::sigemptyset(&set);
    ::sigaddset(&set, signal_number);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal_number);
    std::_Exit(128 + signal_number);  // only if the signal was ignored after all
}
#else
int quit_signal_descriptor() {
    return -1;
}

// Windows ends a GUI program with WM_CLOSE, which closes the window already, and a console
// program's Ctrl+C keeps its default action.
QuitSignals::QuitSignals(std::function<void(int)> on_signal, QObject* parent)
    : QObject(parent), on_signal_(std::move(on_signal)) {}

void die_of(int signal_number) {
    std::_Exit(128 + signal_number);
}
#endif

void quit_on_signals(QCoreApplication& app) {
    new QuitSignals([](int) { QCoreApplication::quit(); }, &app);
}

}  // namespace quellbox::runtime
