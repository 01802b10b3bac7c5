// The runtime's settings from the environment, read once, before main:
//   CUDA_ON_CPU_THREAD_ORDER=forward|reverse|shuffle:SEED  the order of a block's threads between
//                                                          barriers (forward when unset)
//   CUDA_ON_CPU_MEMCHECK=1|0                               memcheck on or off (on by default only
//                                                          in builds with AddressSanitizer)
// A value that does not parse ends the process with a message: a check that the user asked for
// must not silently not run.
#pragma once

#include <cuda_on_cpu/testing.h>

namespace cuda_on_cpu::detail {

struct RuntimeOptions {
    testing::ThreadOrder thread_order;
    // Allocations of exactly the requested size, freed blocks returned to the system allocator at
    // once, and dynamic shared memory ending where the launch asked: AddressSanitizer then
    // reports an access past the end of a buffer, or to a freed one, at the faulting access.
    bool memcheck;
};

const RuntimeOptions& runtime_options();

}  // namespace cuda_on_cpu::detail
