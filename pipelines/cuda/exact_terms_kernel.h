// The kernel engine's exact kernels, one template for every measure: a thread per term anchor on
// 32 x 32 blocks, its terms computed from the integer pixels in 64-bit integers, each block's sum
// in a 64-bit integer.
//
// A measure provides its terms as a class (in its kernel file, measures/<name>/<name>.cu):
//   static constexpr const char* kKernelName;          for the failure of a launch
//   static int anchors_x(int width), anchors_y(int height);   where its terms lie
//   static constexpr long long largest_term(long long max_pixel);   in magnitude
//   static constexpr int kPixelPower;   a score is the total over max_pixel^kPixelPower
//   template <class Pixel> __device__ static long long at(const Pixel* image, int width,
//                                                         int height, int x, int y);
// at() computes the term with the measure's term function, the one its double kernel uses too.
// BESTFOCUS_EXACT_KERNEL_MEASURES(name, Terms) then defines kernel_<name> and kernel_<name>_16;
// BESTFOCUS_EXACT_KERNEL_SUMS_MEASURES(name, score, Terms...) those of a measure of several sums.
#pragma once

#include <cuda_runtime.h>

#include <cstdint>
#include <limits>

#include "block_reduction.h"
#include "exact_pipeline.h"
#include "exact_score.h"
#include "launch.h"
#include "shared_memory.h"

namespace bestfocus {

#ifndef __CUDACC__
// The sum of the terms of the calling block's threads, added by one thread: every anchor the block
// covers, its own rows and those a grid's height of rows further on.
template <class Terms, class Pixel>
long long block_terms_in_one_loop(const Pixel* image, int width, int height) {
    const int anchors_x = Terms::anchors_x(width);
    const int anchors_y = Terms::anchors_y(height);
    const int x0 = static_cast<int>(blockIdx.x * blockDim.x);
    const int x1 = anchors_x - x0 < static_cast<int>(blockDim.x)
                       ? anchors_x
                       : x0 + static_cast<int>(blockDim.x);
    const long long stride = static_cast<long long>(gridDim.y) * blockDim.y;
    long long sum = 0;
    for (long long y0 = blockIdx.y * blockDim.y; y0 < anchors_y; y0 += stride) {
        const long long y1 = y0 + blockDim.y < anchors_y ? y0 + blockDim.y : anchors_y;
        for (int y = static_cast<int>(y0); y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                sum += Terms::template at<Pixel>(image, width, height, x, y);
            }
        }
    }
    return sum;
}
#endif

// Launch: exact_terms_grid(anchors) blocks of 32 x 32, 8192 B shared (one 64-bit slot a thread).
template <class Terms, class Pixel>
__global__ void exact_terms_kernel(long long* partial_sums, const Pixel* image, int width,
                                   int height) {
#ifndef __CUDACC__
    // The CPU runtime may run a block's threads one after another, each to its end. Then the last
    // thread adds the block's terms alone, in one loop: integers, so the same total as the slots
    // and the tree below give, with no barrier.
    if (cuda_on_cpu::block_threads_run_in_order()) {
        if (linear_thread_index() == blockDim.x * blockDim.y - 1) {
            partial_sums[linear_block_index()] =
                block_terms_in_one_loop<Terms, Pixel>(image, width, height);
        }
        return;
    }
#endif
    long long* slots = shared_memory<long long>();
    const int x = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
    const int anchors_y = Terms::anchors_y(height);
    long long sum = 0;
    if (x < Terms::anchors_x(width)) {
        const long long stride = static_cast<long long>(gridDim.y) * blockDim.y;
        // Rarely more than one pass: unrolled, the 64-bit sums would take twice the registers.
#ifdef __CUDACC__
#pragma unroll 1
#endif
        for (long long y = blockIdx.y * blockDim.y + threadIdx.y; y < anchors_y; y += stride) {
            sum += Terms::template at<Pixel>(image, width, height, x, static_cast<int>(y));
        }
    }
    slots[linear_thread_index()] = sum;
    reduce_block_sum(slots, partial_sums);
}

template <class Terms, class Pixel>
cudaError_t launch_exact_terms(const cudaLaunchConfig_t* config, long long* d_sums,
                               const Pixel* d_image, int width, int height) {
    return launch_kernel<exact_terms_kernel<Terms, Pixel>>(config, d_sums, d_image, width, height);
}

// A block adds 1024 threads' terms, each thread at most one term per 65535 block rows of anchors
// (fewer than 2^31 / (65535 * 32) < 1024 of them): its 64-bit sum must hold 2^20 terms.
template <class Terms>
constexpr bool block_sums_fit_64_bits() {
    constexpr long long kTermsPerBlock = 1LL << 20;
    return Terms::largest_term(kMaxPixelOf<std::uint16_t>) <=
           std::numeric_limits<long long>::max() / kTermsPerBlock;
}

template <class Terms, class Pixel>
ExactTermsKernel<Pixel> exact_terms_of(int width, int height) {
    static_assert(block_sums_fit_64_bits<Terms>(), "a block's sum could overflow 64 bits");
    return {Terms::kKernelName, Terms::anchors_x(width), Terms::anchors_y(height),
            launch_exact_terms<Terms, Pixel>};
}

template <class Terms, class Pixel>
double measure_terms_exactly(const Pixel* pixels, int width, int height, int host_threads) {
    const ExactSumsKernels<Pixel> kernels{{exact_terms_of<Terms, Pixel>(width, height)},
                                          1,
                                          total_over_max_pixel_power<Terms::kPixelPower>};
    return measure_sums_on_device(kernels, pixels, width, height, host_threads);
}

// A measure of several sums, each the total of one Terms class's terms, in ExactSums' slots in
// order; the score is score(sums, pixel count, max pixel).
template <ScoreOfSums score, class... SumTerms, class Pixel>
double measure_sums_exactly(const Pixel* pixels, int width, int height, int host_threads) {
    static_assert(sizeof...(SumTerms) <= ExactSums::kCount, "more sums than ExactSums holds");
    const ExactSumsKernels<Pixel> kernels{
        {exact_terms_of<SumTerms, Pixel>(width, height)...}, sizeof...(SumTerms), score};
    return measure_sums_on_device(kernels, pixels, width, height, host_threads);
}

}  // namespace bestfocus

// The kernel engine's two functions of a measure (measures.h) over its Terms class.
#define BESTFOCUS_EXACT_KERNEL_MEASURES(name, Terms)                                             \
    namespace bestfocus {                                                                        \
    double kernel_##name(const unsigned char* pixels, int width, int height, int host_threads) { \
        return measure_terms_exactly<Terms>(pixels, width, height, host_threads);                \
    }                                                                                            \
    double kernel_##name##_16(const std::uint16_t* pixels, int width, int height,                \
                              int host_threads) {                                                \
        return measure_terms_exactly<Terms>(pixels, width, height, host_threads);                \
    }                                                                                            \
    }

// The same for a measure whose score (a ScoreOfSums) combines the totals of several Terms classes.
#define BESTFOCUS_EXACT_KERNEL_SUMS_MEASURES(name, score, ...)                                   \
    namespace bestfocus {                                                                        \
    double kernel_##name(const unsigned char* pixels, int width, int height, int host_threads) { \
        return measure_sums_exactly<score, __VA_ARGS__>(pixels, width, height, host_threads);    \
    }                                                                                            \
    double kernel_##name##_16(const std::uint16_t* pixels, int width, int height,                \
                              int host_threads) {                                                \
        return measure_sums_exactly<score, __VA_ARGS__>(pixels, width, height, host_threads);    \
    }                                                                                            \
    }
