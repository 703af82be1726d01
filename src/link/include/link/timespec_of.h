#pragma once
// A span of the steady clock as POSIX timers (timerfd, clock_nanosleep) take it: whole seconds
// and the nanoseconds left over.

#include <chrono>
#include <ctime>

namespace quellbox::link {

inline std::timespec timespec_of(std::chrono::nanoseconds span) {
    return std::timespec{static_cast<std::time_t>(span.count() / 1'000'000'000),
                         static_cast<long>(span.count() % 1'000'000'000)};
}

}  // namespace quellbox::link
