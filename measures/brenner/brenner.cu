// Brenner: at every pixel (x, y) with y < H - 2, the difference D = p(x, y + 2) - p(x, y) of the
// pixel two rows below and the pixel, squared; the focus value is the sum of D^2.

#include <cuda_runtime.h>

#include "block_reduction.h"
#include "brenner_stencil.h"
#include "measures.h"
#include "shared_memory.h"
#include "window_measure.h"

// Launch: (iDivUp(W, 32), iDivUp(H - 2, 32)) blocks of 32 x 32, 8192 B shared (brenner_b).
__global__ void Calcular_Brenner_Kernel(double* partial_sums, double* image, int width,
                                        int height) {
    double* brenner_b = bestfocus::shared_memory<double>();
    const int x = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
    const int y = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
    const unsigned int t = bestfocus::linear_thread_index();
    brenner_b[t] = 0.0;
    if (x < bestfocus::brenner_anchors_x(width) && y < bestfocus::brenner_anchors_y(height)) {
        brenner_b[t] = bestfocus::brenner_term<double>(image + y * width + x, width);
    }
    bestfocus::reduce_block_sum(brenner_b, partial_sums);
}

namespace bestfocus {

// The measure's terms, on the integer pixels for the exact kernels (window_measure.h).
struct BrennerTerms {
    static constexpr const char* kMeasureKernelName = "Calcular_Brenner_Kernel";
    static constexpr const char* kKernelName = "exact_terms_kernel<BrennerTerms>";
    static constexpr WindowKernelLaunch launch = launch_window_kernel<Calcular_Brenner_Kernel>;
    static constexpr int kPixelPower = brenner_pixel_power;
    BESTFOCUS_HOST_DEVICE static int anchors_x(int width) { return brenner_anchors_x(width); }
    BESTFOCUS_HOST_DEVICE static int anchors_y(int height) { return brenner_anchors_y(height); }
    static constexpr long long largest_term(long long max_pixel) {
        return brenner_largest_term(max_pixel);
    }
    template <class Pixel>
    __device__ static long long at(const Pixel* image, int width, int, int x, int y) {
        return brenner_term<long long, int>(image + y * width + x, width);
    }
};

}  // namespace bestfocus

BESTFOCUS_WINDOW_MEASURE(brenner, Brenner, BrennerTerms)
