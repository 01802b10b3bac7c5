// The last phase of every measure kernel: the block's threads fold their shared slots (doubles, or
// 64-bit integers in the exact kernels) into one per block by a tree of halving strides, and thread
// 0 stores it in the partial-sum array (on the CPU, when the threads run in order, the last thread
// does both).
//
// Every thread of the block must call these, in range of the kernel's domain or not: they contain
// the block-wide barriers. The halving adds every slot because blocks have 1024 threads (a power
// of two).
#pragma once

#include <cuda_runtime.h>

namespace bestfocus {

// Thread index within the block, x fastest: the thread's slot in the shared arrays.
__device__ __forceinline__ unsigned int linear_thread_index() {
    return threadIdx.y * blockDim.x + threadIdx.x;
}

// Index of the block's element in a partial-sum array.
__device__ __forceinline__ unsigned int linear_block_index() {
    return blockIdx.y * gridDim.x + blockIdx.x;
}

// Folds slots[0 .. B) into slots[0], and for two arrays also slots[B .. 2B) into slots[B], where
// B is the block's thread count. Both arrays share the halving steps and their barriers. True for
// the one thread that may read the block's totals afterwards.
template <int kArrays, class Slot>
__device__ __forceinline__ bool fold_block_slots(Slot* slots) {
    const unsigned int t = linear_thread_index();
    const unsigned int b = blockDim.x * blockDim.y;
#ifndef __CUDACC__
    // The CPU runtime may run a block's threads one after another, each to its end. Then the last
    // thread finds every slot stored and folds the tree alone: the same additions of the same
    // pairs in the same order as the halving below, so the same bits, with no barrier.
    if (cuda_on_cpu::block_threads_run_in_order()) {
        if (t != b - 1) return false;
        for (unsigned int k = b >> 1; k != 0; k >>= 1) {
            for (unsigned int i = 0; i < k; ++i) {
                slots[i] = slots[i + k] + slots[i];
                if constexpr (kArrays == 2) {
                    slots[b + i] = slots[b + i + k] + slots[b + i];
                }
            }
        }
        return true;
    }
#endif
    __syncthreads();
    for (unsigned int k = b >> 1; k != 0; k >>= 1) {
        if (t < k) {
            slots[t] = slots[t + k] + slots[t];
            if constexpr (kArrays == 2) {
                slots[b + t] = slots[b + t + k] + slots[b + t];
            }
        }
        __syncthreads();
    }
    return t == 0;
}

// Block total of slots[0 .. B) into partial_sums.
template <class Slot>
__device__ __forceinline__ void reduce_block_sum(Slot* slots, Slot* partial_sums) {
    if (fold_block_slots<1>(slots)) {
        partial_sums[linear_block_index()] = slots[0];
    }
}

// Block totals of slots[0 .. B) into partial_sums_1 and of slots[B .. 2B) into partial_sums_2.
__device__ __forceinline__ void reduce_block_sums(double* slots, double* partial_sums_1,
                                                  double* partial_sums_2) {
    if (fold_block_slots<2>(slots)) {
        partial_sums_1[linear_block_index()] = slots[0];
        partial_sums_2[linear_block_index()] = slots[blockDim.x * blockDim.y];
    }
}

}  // namespace bestfocus
