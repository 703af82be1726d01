// quellbox-bench-c-loop: the floor the window is compared with. The least a program can do to
// poll one board at 20 Hz: sleep to an absolute tick time, drop stale input, write the status
// query, then wait in poll() and read until the 8-byte reply is in (VMIN=8) or the next tick is
// due. No toolkit, no heap after start-up.
//
//   quellbox-bench-c-loop DEVICE [PERIOD_NS]    (runs until SIGTERM or SIGINT; see loop_period.h)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/frames.h"
#include "link/timespec_of.h"
#include "loop_period.h"

namespace {

using namespace quellbox;
using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC

volatile sig_atomic_t stop_requested = 0;

void on_stop(int) {
    stop_requested = 1;
}

}  // namespace

int main(int argc, char** argv) {
    const auto period = bench::period_from_args(argc, argv);
    if (!period) {
        std::fprintf(stderr, "usage: quellbox-bench-c-loop DEVICE [PERIOD_NS]\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::fprintf(stderr, "quellbox-bench-c-loop: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    bench::make_raw_9600(fd, static_cast<cc_t>(link::frame_size));
    struct sigaction action {};
    action.sa_handler = on_stop;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);

    link::Frame query{};
    link::build_command_frame(query, 1, link::cmd_status_query, 0, 0);
    unsigned char reply[64];
    Clock::time_point next = Clock::now();
    while (stop_requested == 0) {
        next += *period;
        ::tcflush(fd, TCIFLUSH);
        if (::write(fd, query.data(), query.size()) < 0 && errno != EINTR) return 1;
        std::size_t got = 0;
        while (got < link::frame_size && stop_requested == 0) {
            pollfd p{fd, POLLIN, 0};
            // Milliseconds until the next tick, rounded up.
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
            if (::poll(&p, 1, static_cast<int>(std::max<long>(0, wait.count()))) <= 0) break;
            if ((p.revents & (POLLHUP | POLLERR)) != 0) return 1;
            const ssize_t n = ::read(fd, reply + got, sizeof reply - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        const timespec due = link::timespec_of(next.time_since_epoch());
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR &&
               stop_requested == 0) {
        }
    }
    ::close(fd);
    return 0;
}
