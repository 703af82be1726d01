#pragma once
// The reference loops' poll period: 50 ms unless the bench asks for a little more (in
// nanoseconds, their optional last argument), so that their ticks drift through every phase of
// the window's over a column instead of keeping the one they happened to start at.

#include <chrono>
#include <cstdlib>
#include <optional>

#include "link/poll_rules.h"

namespace quellbox::bench {

inline constexpr std::chrono::nanoseconds window_period =
    std::chrono::milliseconds(link::poll_interval_ms);

// Nothing when `text` is not a period from 50 to 100 ms in nanoseconds.
inline std::optional<std::chrono::nanoseconds> period_from_text(const char* text) {
    char* end = nullptr;
    const long long ns = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || ns < window_period.count() || ns > 2 * window_period.count())
        return std::nullopt;
    return std::chrono::nanoseconds(ns);
}

// The period a loop's command line asks for: DEVICE alone, the window's; DEVICE PERIOD_NS, that
// one. Nothing for any other command line.
inline std::optional<std::chrono::nanoseconds> period_from_args(int argc, char** argv) {
    if (argc == 2) return window_period;
    if (argc == 3) return period_from_text(argv[2]);
    return std::nullopt;
}

}  // namespace quellbox::bench
