// Tells AddressSanitizer about every switch between a fiber's stack and the scheduler's, so that
// it follows the stack in use (no-ops in other builds).
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace cuda_on_cpu::detail {

// Call just before switching to the stack [bottom, bottom + size). Pass a null fake_stack_save
// when the current fiber is leaving for good.
inline void before_stack_switch(void** fake_stack_save, const void* bottom, std::size_t size) {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_start_switch_fiber(fake_stack_save, bottom, size);
#else
    (void)fake_stack_save, (void)bottom, (void)size;
#endif
}

// Call first thing after arriving on a stack; reports the stack that was left.
inline void after_stack_switch(void* fake_stack_save, const void** left_bottom,
                               std::size_t* left_size) {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_finish_switch_fiber(fake_stack_save, left_bottom, left_size);
#else
    (void)fake_stack_save, (void)left_bottom, (void)left_size;
#endif
}

}  // namespace cuda_on_cpu::detail
