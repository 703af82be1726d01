#include "alloc_count.h"

#include <cstddef>

#ifdef QUELLBOX_BENCH_COUNT_ALLOCATIONS

// The executable's own definitions of the C allocator come first in symbol lookup, for the
// libraries too (Qt, the C++ runtime). They count and hand over to glibc's allocator.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);
}

namespace {
// Constant-initialised and in the executable's static TLS block: reading it never allocates.
thread_local std::uint64_t allocation_count = 0;
}  // namespace

extern "C" void* malloc(std::size_t size) noexcept {
    ++allocation_count;
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) noexcept {
    ++allocation_count;
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* pointer, std::size_t size) noexcept {
    ++allocation_count;
    return __libc_realloc(pointer, size);
}

extern "C" void free(void* pointer) noexcept {
    __libc_free(pointer);
}

std::uint64_t quellbox::bench::allocations() {
    return allocation_count;
}

#endif
