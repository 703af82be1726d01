#pragma once
// Counts heap allocations made on the calling thread (malloc, calloc, realloc, and so every
// operator new and every Qt container allocation), so the bench can say how many the poll
// cycle costs. Sanitizer builds bring their own allocator; there nothing is counted.

#include <cstdint>

namespace quellbox::bench {

bool allocations_counted();
// Allocations on this thread since it started (0 when not counted).
std::uint64_t allocations();

}  // namespace quellbox::bench
