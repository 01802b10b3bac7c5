// Runs the threads of one thread block.
#pragma once

#include <cuda_on_cpu/testing.h>
#include <cuda_runtime.h>

#include <cstddef>

namespace cuda_on_cpu::detail {

using cuda_on_cpu::BlockThreads;

struct Grid {
    dim3 grid;
    dim3 block;
    std::size_t shared_bytes;
    ThreadBody one;
    ThreadRange range;
    const void* context;
    BlockThreads threads;
    testing::ThreadOrder order;  // of the threads on fibers; in order means forward
    // Poison the block's shared memory past shared_bytes, so that AddressSanitizer reports
    // accesses beyond what the launch asked for (memcheck).
    bool exact_shared_memory;
};

// Runs every thread of the block with the given linear index (x fastest) on the calling host
// thread. False when the threads did not all reach the same barriers (or, in order, reached one):
// a launch failure.
bool run_block(const Grid& grid, std::size_t linear_block);

}  // namespace cuda_on_cpu::detail
