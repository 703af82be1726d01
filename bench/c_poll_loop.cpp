// quellbox-bench-c-loop: the floor the window is compared with. The least a program can do to
// poll one board at 20 Hz: sleep to an absolute tick time, drop stale input, write the status
// query, then wait in poll() and read until the 8-byte reply is in (VMIN=8) or the next tick is
// due. No toolkit, no heap after start-up.
//
//   quellbox-bench-c-loop DEVICE [PERIOD_NS]    (runs until SIGTERM or SIGINT; see loop_period.h)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/frames.h"
#include "loop_period.h"
#include "raw_line.h"

namespace {

volatile sig_atomic_t stop_requested = 0;

void on_stop(int) {
    stop_requested = 1;
}

void advance(timespec& t, long ns) {
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1'000'000'000) {
        t.tv_nsec -= 1'000'000'000;
        ++t.tv_sec;
    }
}

// Milliseconds from now until t, rounded up, at least 0.
int ms_until(const timespec& t) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = (static_cast<long long>(t.tv_sec) - now.tv_sec) * 1'000'000'000LL +
                         (t.tv_nsec - now.tv_nsec);
    return ns <= 0 ? 0 : static_cast<int>((ns + 999'999) / 1'000'000);
}

}  // namespace

int main(int argc, char** argv) {
    const auto period = quellbox::bench::period_from_args(argc, argv);
    if (!period) {
        std::fprintf(stderr, "usage: quellbox-bench-c-loop DEVICE [PERIOD_NS]\n");
        return 2;
    }
    const long tick_ns = static_cast<long>(period->count());
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::fprintf(stderr, "quellbox-bench-c-loop: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    quellbox::bench::make_raw_9600(fd, static_cast<cc_t>(quellbox::link::frame_size));

    struct sigaction action {};
    action.sa_handler = on_stop;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);

    quellbox::link::Frame query{};
    quellbox::link::build_command_frame(query, 1, quellbox::link::cmd_status_query, 0, 0);
    unsigned char reply[64];

    timespec next{};
    ::clock_gettime(CLOCK_MONOTONIC, &next);
    while (stop_requested == 0) {
        advance(next, tick_ns);
        ::tcflush(fd, TCIFLUSH);
        if (::write(fd, query.data(), query.size()) < 0 && errno != EINTR) return 1;
        std::size_t got = 0;
        while (got < quellbox::link::frame_size && stop_requested == 0) {
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, ms_until(next));
            if (ready <= 0) break;
            if ((p.revents & (POLLHUP | POLLERR)) != 0) return 1;
            const ssize_t n = ::read(fd, reply + got, sizeof reply - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR &&
               stop_requested == 0) {
        }
    }
    ::close(fd);
    return 0;
}
