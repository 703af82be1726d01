#pragma once
// Time stamps in microseconds of std::chrono::steady_clock, which on Linux is CLOCK_MONOTONIC:
// the clock the virtual board stamps its lines with, so both sides compare directly.

#include <chrono>
#include <cstdint>

namespace quellbox::bench {

inline std::int64_t now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace quellbox::bench
