// quellbox-bench-qt-floor: what any Qt program pays to poll a board the way the window must to
// paint a reply within a millisecond of its last byte. It wakes twice per tick: at the 50 ms
// tick (drop stale input, write the status query, arm an alarm) and when the reply can be whole
// (read it). An empty window on Qt's own loop: no frame checks, no looks, no fields, i.e. the
// window's cost without its own logic.
//
//   quellbox-bench-qt-floor DEVICE [PERIOD_NS]    (runs until SIGTERM or SIGINT; see loop_period.h)

#include <fcntl.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "link/frames.h"
#include "link/poll_rules.h"
#include "link/timespec_of.h"
#include "loop_period.h"
#include "runtime/event_loop.h"
#include "runtime/quit_on_signals.h"

namespace {

itimerspec after(std::chrono::nanoseconds first, std::chrono::nanoseconds period) {
    return itimerspec{quellbox::link::timespec_of(period), quellbox::link::timespec_of(first)};
}

void drain(int fd) {
    std::uint64_t expirations = 0;
    (void)!::read(fd, &expirations, sizeof expirations);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace std::chrono_literals;
    const auto period = quellbox::bench::period_from_args(argc, argv);
    if (!period) {
        std::fprintf(stderr, "usage: quellbox-bench-qt-floor DEVICE [PERIOD_NS]\n");
        return 2;
    }
    quellbox::runtime::use_qt_event_loop();
    QApplication app(argc, argv);
    quellbox::runtime::quit_on_signals(app);
    const int port = ::open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const int tick = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    const int alarm = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (port < 0 || tick < 0 || alarm < 0) {
        std::fprintf(stderr, "quellbox-bench-qt-floor: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    quellbox::bench::make_raw_9600(port, 0);

    QWidget window;
    window.resize(320, 240);
    window.show();

    quellbox::link::Frame query{};
    quellbox::link::build_command_frame(query, 1, quellbox::link::cmd_status_query, 0, 0);
    // The reply can be whole eight byte times after the query, plus the board's turn-around.
    const itimerspec reply_due =
        after(quellbox::link::byte_time * static_cast<int>(quellbox::link::frame_size) + 1ms, 0ns);
    QSocketNotifier on_tick(tick, QSocketNotifier::Read);
    QSocketNotifier on_alarm(alarm, QSocketNotifier::Read);
    QObject::connect(&on_tick, &QSocketNotifier::activated, [&] {
        drain(tick);
        ::tcflush(port, TCIFLUSH);
        (void)!::write(port, query.data(), query.size());
        ::timerfd_settime(alarm, 0, &reply_due, nullptr);
    });
    QObject::connect(&on_alarm, &QSocketNotifier::activated, [&] {
        drain(alarm);
        unsigned char reply[256];
        (void)!::read(port, reply, sizeof reply);
    });
    const itimerspec ticks = after(*period, *period);
    ::timerfd_settime(tick, 0, &ticks, nullptr);
    const int code = QApplication::exec();
    ::close(port);
    return code;
}
