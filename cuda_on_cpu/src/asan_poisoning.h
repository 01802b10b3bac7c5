// Marks host memory as off limits to AddressSanitizer, or as usable again (no-ops in builds
// without it). An access to poisoned bytes is reported with the stack that made it.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace cuda_on_cpu::detail {

inline void poison(const void* start, std::size_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
    ASAN_POISON_MEMORY_REGION(start, bytes);
#else
    (void)start, (void)bytes;
#endif
}

inline void unpoison(const void* start, std::size_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
    ASAN_UNPOISON_MEMORY_REGION(start, bytes);
#else
    (void)start, (void)bytes;
#endif
}

}  // namespace cuda_on_cpu::detail
