#include "runtime/quit_on_signals.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#endif

namespace quellbox::runtime {

#ifndef Q_OS_WIN
namespace {

// Both ends of the self-pipe; the handler writes to [1].
std::array<int, 2> wake_pipe{-1, -1};

extern "C" void on_quit_signal(int) {
    const int saved = errno;  // the interrupted code may be about to read errno
    const char byte = 1;
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

void quit_on_signals(QCoreApplication& app) {
    const int descriptor = quit_signal_descriptor();
    if (descriptor < 0) return;
    auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [descriptor] {
        char bytes[16];
        while (::read(descriptor, bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::quit();
    });
}
#else
int quit_signal_descriptor() {
    return -1;
}

void quit_on_signals(QCoreApplication& app) {
    Q_UNUSED(app);  // Windows ends a GUI program with WM_CLOSE, which closes the window already
}
#endif

}  // namespace quellbox::runtime
