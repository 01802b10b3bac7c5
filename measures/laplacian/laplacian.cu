// Laplacian energy: at every position of a 3 x 3 window, anchored at (x, y) with x < W - 2 and
// y < H - 2, the four-neighbour Laplacian of its centre pixel (x + 1, y + 1),
//   L = above + below + left + right - 4 * centre,
// squared; the focus value is the sum of L^2. The window's corners take no part.

#include <cuda_runtime.h>

#include "block_reduction.h"
#include "laplacian_stencil.h"
#include "measures.h"
#include "shared_memory.h"
#include "window_measure.h"

// Launch: (iDivUp(W - 2, 32), iDivUp(H - 2, 32)) blocks of 32 x 32, 8192 B shared (lap_b).
__global__ void Calcular_LAP_Kernel(double* partial_sums, double* image, int width, int height) {
    double* lap_b = bestfocus::shared_memory<double>();
    const int x = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
    const int y = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
    const unsigned int t = bestfocus::linear_thread_index();
    lap_b[t] = 0.0;
    if (x < bestfocus::laplacian_anchors(width) && y < bestfocus::laplacian_anchors(height)) {
        lap_b[t] = bestfocus::laplacian_term<double>(image + (y + 1) * width + x + 1, width);
    }
    bestfocus::reduce_block_sum(lap_b, partial_sums);
}

namespace bestfocus {

// The measure's terms, on the integer pixels for the exact kernels (window_measure.h).
struct LaplacianTerms {
    static constexpr const char* kMeasureKernelName = "Calcular_LAP_Kernel";
    static constexpr const char* kKernelName = "exact_terms_kernel<LaplacianTerms>";
    static constexpr WindowKernelLaunch launch = launch_window_kernel<Calcular_LAP_Kernel>;
    static constexpr int kPixelPower = laplacian_pixel_power;
    BESTFOCUS_HOST_DEVICE static int anchors_x(int width) { return laplacian_anchors(width); }
    BESTFOCUS_HOST_DEVICE static int anchors_y(int height) { return laplacian_anchors(height); }
    static constexpr long long largest_term(long long max_pixel) {
        return laplacian_largest_term(max_pixel);
    }
    template <class Pixel>
    __device__ static long long at(const Pixel* image, int width, int, int x, int y) {
        return laplacian_term<long long>(image + (y + 1) * width + x + 1, width);
    }
};

}  // namespace bestfocus

BESTFOCUS_WINDOW_MEASURE(laplacian, LAP, LaplacianTerms)
