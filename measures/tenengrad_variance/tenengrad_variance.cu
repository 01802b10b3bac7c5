// Tenengrad variance: the variance of Tenengrad's terms T = Gx^2 + Gy^2 (measures/tenengrad) over
// its n window anchors, (n SumT^2 - (SumT)^2) / n^2 on pixels taken as value / 255; 0 on an image
// without an anchor.

#include <cuda_runtime.h>

#include <cmath>

#include "block_reduction.h"
#include "exact_terms_kernel.h"
#include "measure_pipeline.h"
#include "measures.h"
#include "shared_memory.h"
#include "tenengrad/tenengrad_stencil.h"
#include "tenengrad_variance_score.h"
#include "window_measure.h"

// Tenengrad's Sobel coefficients, as in kernel_TEN and kernel_TEN_T.
__constant__ int kernel_TENV[9] = TENENGRAD_GX_COEFFICIENTS;
__constant__ int kernel_TENV_T[9] = TENENGRAD_GY_COEFFICIENTS;

// Launch: (iDivUp(W - 2, 32), iDivUp(H - 2, 32)) blocks of 32 x 32, 8192 B shared (tenv_b). Adds
// the terms, or their squares.
template <bool squares>
__global__ void Calcular_TENV_Kernel(double* partial_sums, double* image, int width, int height) {
    double* tenv_b = bestfocus::shared_memory<double>();
    const int x = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
    const int y = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
    const unsigned int t = bestfocus::linear_thread_index();
    tenv_b[t] = 0.0;
    if (x < bestfocus::tenengrad_anchors(width) && y < bestfocus::tenengrad_anchors(height)) {
        const double term = bestfocus::tenengrad_term<double>(image + y * width + x, width,
                                                              kernel_TENV, kernel_TENV_T);
        tenv_b[t] = squares ? term * term : term;
    }
    bestfocus::reduce_block_sum(tenv_b, partial_sums);
}

namespace bestfocus {
namespace {

template <bool squares>
MeasureKernel describe_tenengrad_variance(int width, int height) {
    return describe_window_measure("Calcular_TENV_Kernel", tenengrad_anchors(width),
                                   tenengrad_anchors(height),
                                   launch_window_kernel<Calcular_TENV_Kernel<squares>>);
}

double tenengrad_variance(const MeasureCall& call) {
    const double sum = run_measure(call, describe_tenengrad_variance<false>);
    // 0.0 on an image without an anchor, NaN on a failure: the value either way.
    if (std::isnan(sum) || tenengrad_anchors(call.width) < 1 || tenengrad_anchors(call.height) < 1)
        return sum;
    const double squares = run_measure(call, describe_tenengrad_variance<true>);
    const double n =
        static_cast<double>(tenengrad_anchors(call.width)) * tenengrad_anchors(call.height);
    return (n * squares - sum * sum) / (n * n);
}

// The exact kernels' terms: at each Tenengrad anchor, one of the score's sums
// (tenengrad_variance_score.h).
template <TenengradVarianceSum part>
struct TenengradVarianceTerms {
    static constexpr const char* kKernelName =
        part == kTermSum         ? "exact_terms_kernel<TenengradVarianceTerms<kTermSum>>"
        : part == kSquareSumHigh ? "exact_terms_kernel<TenengradVarianceTerms<kSquareSumHigh>>"
        : part == kSquareSumLow  ? "exact_terms_kernel<TenengradVarianceTerms<kSquareSumLow>>"
                                 : "exact_terms_kernel<TenengradVarianceTerms<kAnchorCount>>";
    BESTFOCUS_HOST_DEVICE static int anchors_x(int width) { return tenengrad_anchors(width); }
    BESTFOCUS_HOST_DEVICE static int anchors_y(int height) { return tenengrad_anchors(height); }
    static constexpr long long largest_term(long long max_pixel) {
        return part == kTermSum         ? tenengrad_largest_term(max_pixel)
               : part == kSquareSumHigh ? square_above_32_bits(tenengrad_largest_term(max_pixel))
               : part == kSquareSumLow  ? 0xffffffffLL
                                        : 1;
    }
    template <class Pixel>
    __device__ static long long at(const Pixel* image, int width, int, int x, int y) {
        if (part == kAnchorCount) return 1;
        const long long term = tenengrad_term<long long, int>(
            image + static_cast<long long>(y) * width + x, width, kernel_TENV, kernel_TENV_T);
        return part == kTermSum         ? term
               : part == kSquareSumHigh ? square_above_32_bits(term)
                                        : square_below_32_bits(term);
    }
};

}  // namespace
}  // namespace bestfocus

BESTFOCUS_EXACT_KERNEL_SUMS_MEASURES(tenengrad_variance, tenengrad_variance_score,
                                     TenengradVarianceTerms<kTermSum>,
                                     TenengradVarianceTerms<kSquareSumHigh>,
                                     TenengradVarianceTerms<kSquareSumLow>,
                                     TenengradVarianceTerms<kAnchorCount>)
BESTFOCUS_MEASURE_ENTRY_POINTS(TenengradVariance, bestfocus::tenengrad_variance)
