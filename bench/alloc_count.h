#pragma once
// Counts heap allocations made on the calling thread (malloc, calloc, realloc, and so every
// operator new and every Qt container allocation), so the bench can say how many the poll
// cycle costs. Sanitizer builds bring their own allocator; there nothing is counted.

#include <cstdint>

namespace quellbox::bench {

#ifdef QUELLBOX_BENCH_COUNT_ALLOCATIONS
inline constexpr bool allocations_counted = true;
// Allocations on this thread since it started.
std::uint64_t allocations();
#else
inline constexpr bool allocations_counted = false;
inline std::uint64_t allocations() {
    return 0;
}
#endif

}  // namespace quellbox::bench
