#pragma once
// Time stamps and CPU times in the units the reports use.

#include <sys/time.h>

#include <chrono>
#include <cstdint>
#include <ctime>

namespace quellbox::tools {

// Microseconds of std::chrono::steady_clock, which on Linux is CLOCK_MONOTONIC: the clock the
// virtual board stamps its lines with, so a reader on the same machine compares directly.
inline std::int64_t now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}
inline double seconds(const timespec& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A duration given in seconds on a command line, as a span to wait for.
inline std::chrono::milliseconds span_of_seconds(double seconds) {
    return std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000));
}

}  // namespace quellbox::tools
