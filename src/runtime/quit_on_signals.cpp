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

bool quit_on_signals(QCoreApplication& app) {
    if (wake_pipe[0] >= 0) return true;
    if (::pipe2(wake_pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) return false;

    auto* notifier = new QSocketNotifier(wake_pipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char bytes[16];
        while (::read(wake_pipe[0], bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::quit();
    });

    struct sigaction action {};
    action.sa_handler = on_quit_signal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool all = true;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        // A signal ignored from the start stays ignored: `nohup` and a shell's background jobs
        // ask for that.
        struct sigaction inherited {};
        if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) {
            continue;
        }
        all = ::sigaction(signal, &action, nullptr) == 0 && all;
    }
    return all;
}
#else
bool quit_on_signals(QCoreApplication& app) {
    Q_UNUSED(app);
    return false;  // Windows ends a GUI program with WM_CLOSE, which closes the window already
}
#endif

}  // namespace quellbox::runtime
