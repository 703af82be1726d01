#pragma once
// The reference loops' line: raw bytes at 9600 baud, 8N1, as the window's own, reads returning
// once `minimum` bytes are in (0: whatever is there); and their poll period: 50 ms unless the
// bench asks for a little more, so that their ticks drift through every phase of the window's.

#include <termios.h>

#include <chrono>
#include <cstdlib>
#include <optional>

#include "link/poll_rules.h"

namespace quellbox::bench {

inline void make_raw_9600(int fd, cc_t minimum) {
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = minimum;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &tio);
}

inline constexpr std::chrono::nanoseconds window_period =
    std::chrono::milliseconds(link::poll_interval_ms);

// The period a loop's command line asks for: DEVICE alone, the window's; DEVICE PERIOD_NS, that
// one if it is from 50 to 100 ms. Nothing for any other command line.
inline std::optional<std::chrono::nanoseconds> period_from_args(int argc, char** argv) {
    if (argc == 2) return window_period;
    if (argc != 3) return std::nullopt;
    char* end = nullptr;
    const long long ns = std::strtoll(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || ns < window_period.count() ||
        ns > 2 * window_period.count())
        return std::nullopt;
    return std::chrono::nanoseconds(ns);
}

}  // namespace quellbox::bench
