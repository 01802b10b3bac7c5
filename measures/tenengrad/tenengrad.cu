// Tenengrad: at every position of a 3 x 3 window, anchored at (x, y) with x < W - 2 and
// y < H - 2 and centred on pixel (x + 1, y + 1), the Sobel gradients
//   Gx = sum of kernel_TEN(i, j) * p(x + j, y + i),  Gy = the same with kernel_TEN_T,
// and the term Gx^2 + Gy^2; the focus value is the sum of the terms. No threshold, no root.

#include <cuda_runtime.h>

#include "block_reduction.h"
#include "measures.h"
#include "shared_memory.h"
#include "tenengrad_stencil.h"
#include "window_measure.h"

// Coefficient (i, j) at 3 * i + j: Gx is the left column minus the right one, weighted 1, 2, 1.
__constant__ int kernel_TEN[9] = TENENGRAD_GX_COEFFICIENTS;
// The transpose: Gy is the top row minus the bottom one.
__constant__ int kernel_TEN_T[9] = TENENGRAD_GY_COEFFICIENTS;

// Launch: (iDivUp(W - 2, 32), iDivUp(H - 2, 32)) blocks of 32 x 32, 8192 B shared (ten_b).
__global__ void Calcular_TEN_Kernel(double* partial_sums, double* image, int width, int height) {
    double* ten_b = bestfocus::shared_memory<double>();
    const int x = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
    const int y = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
    const unsigned int t = bestfocus::linear_thread_index();
    ten_b[t] = 0.0;
    if (x < bestfocus::tenengrad_anchors(width) && y < bestfocus::tenengrad_anchors(height)) {
        ten_b[t] = bestfocus::tenengrad_term<double>(image + y * width + x, width, kernel_TEN,
                                                     kernel_TEN_T);
    }
    bestfocus::reduce_block_sum(ten_b, partial_sums);
}

namespace bestfocus {

// The measure's terms, on the integer pixels for the exact kernels (window_measure.h).
struct TenengradTerms {
    static constexpr const char* kMeasureKernelName = "Calcular_TEN_Kernel";
    static constexpr const char* kKernelName = "exact_terms_kernel<TenengradTerms>";
    static constexpr WindowKernelLaunch launch = launch_window_kernel<Calcular_TEN_Kernel>;
    static constexpr int kPixelPower = tenengrad_pixel_power;
    BESTFOCUS_HOST_DEVICE static int anchors_x(int width) { return tenengrad_anchors(width); }
    BESTFOCUS_HOST_DEVICE static int anchors_y(int height) { return tenengrad_anchors(height); }
    static constexpr long long largest_term(long long max_pixel) {
        return tenengrad_largest_term(max_pixel);
    }
    template <class Pixel>
    __device__ static long long at(const Pixel* image, int width, int, int x, int y) {
        return tenengrad_term<long long, int>(image + y * width + x, width, kernel_TEN,
                                              kernel_TEN_T);
    }
};

}  // namespace bestfocus

BESTFOCUS_WINDOW_MEASURE(tenengrad, TEN, TenengradTerms)
