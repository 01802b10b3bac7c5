// The order in which the threads of a block run on fibers, round by round: a round resumes every
// thread once, up to its next barrier or its end.
#pragma once

#include <cuda_on_cpu/testing.h>

#include <cstddef>
#include <vector>

namespace cuda_on_cpu::detail {

// Fills `turns` with the block's `count` threads (linear indices) in the order they take their
// turns in round `round` of the block with linear index `linear_block`. A shuffled order depends
// only on the seed, the block and the round, never on which worker runs the block, so a failing
// schedule can be replayed.
void order_round(const testing::ThreadOrder& order, std::size_t linear_block, unsigned round,
                 unsigned count, std::vector<unsigned>& turns);

}  // namespace cuda_on_cpu::detail
