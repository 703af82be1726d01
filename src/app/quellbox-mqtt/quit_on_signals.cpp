#include "quit_on_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>

namespace quellbox::mqtt {

namespace {

int signal_pipe[2] = {-1, -1};

void on_signal(int signo) {
    const int saved = errno;
    const auto byte = static_cast<char>(signo);
    [[maybe_unused]] const ssize_t n = ::write(signal_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

QuitOnSignals::QuitOnSignals() {
    if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) qFatal("pipe2 failed");
    notifier_ = std::make_unique<QSocketNotifier>(signal_pipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [] {
        char byte = 0;
        while (::read(signal_pipe[0], &byte, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    for (const int signo : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signo, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);  // a broker closing its socket must not kill us
}

QuitOnSignals::~QuitOnSignals() {
    for (const int signo : {SIGINT, SIGTERM, SIGHUP}) ::signal(signo, SIG_DFL);
    notifier_.reset();
    ::close(signal_pipe[0]);
    ::close(signal_pipe[1]);
}

}  // namespace quellbox::mqtt
