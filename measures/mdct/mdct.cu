// MDCT: at every window anchor (x, y) with x < W - 4 and y < H - 4, the signed sum of the 4 x 4
// pixels below and right of it under the sign pattern kernel_MDCT,
//   S(x, y) = sum over rows i = 0..3, columns j = 0..3 of K(i, j) * p(x + j, y + i),
// squared; the focus value is the sum of S^2 over the anchors. Every row and column of K sums to
// zero, so straight edges and flat areas give nothing.

#include <cuda_runtime.h>

#include "block_reduction.h"
#include "launch.h"
#include "mdct_stencil.h"
#include "measures.h"
#include "shared_memory.h"
#include "window_measure.h"

// K(i, j) at 4 * i + j: +1 where row and column offset lie in the same half of the window.
__constant__ int kernel_MDCT[16] = MDCT_SIGN_PATTERN;

// Launch: (iDivUp(W - 4, 32), iDivUp(H - 4, 32)) blocks of 32 x 32, 8192 B shared (f_mdct_b).
__global__ void Calcular_MDCT_Kernel(double* partial_sums, double* image, int width, int anchors_x,
                                     int anchors_y) {
    double* f_mdct_b = bestfocus::shared_memory<double>();
    const int x = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
    const int y = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
    const unsigned int t = bestfocus::linear_thread_index();
    f_mdct_b[t] = 0.0;
    if (x < anchors_x && y < anchors_y) {
        f_mdct_b[t] = bestfocus::mdct_term<double>(image + y * width + x, width, kernel_MDCT);
    }
    bestfocus::reduce_block_sum(f_mdct_b, partial_sums);
}

namespace bestfocus {

// Calcular_MDCT_Kernel takes its anchor counts, not the image's height.
inline cudaError_t launch_mdct(const cudaLaunchConfig_t* config, const KernelBuffers& buffers,
                               int width, int height) {
    return launch_kernel<Calcular_MDCT_Kernel>(config, buffers.d_sums[0], buffers.d_image, width,
                                               mdct_anchors(width), mdct_anchors(height));
}

// The measure's terms, on the integer pixels for the exact kernels (window_measure.h).
struct MdctTerms {
    static constexpr const char* kMeasureKernelName = "Calcular_MDCT_Kernel";
    static constexpr const char* kKernelName = "exact_terms_kernel<MdctTerms>";
    static constexpr WindowKernelLaunch launch = launch_mdct;
    static constexpr int kPixelPower = mdct_pixel_power;
    BESTFOCUS_HOST_DEVICE static int anchors_x(int width) { return mdct_anchors(width); }
    BESTFOCUS_HOST_DEVICE static int anchors_y(int height) { return mdct_anchors(height); }
    static constexpr long long largest_term(long long max_pixel) {
        return mdct_largest_term(max_pixel);
    }
    template <class Pixel>
    __device__ static long long at(const Pixel* image, int width, int, int x, int y) {
        return mdct_term<long long, int>(image + y * width + x, width, kernel_MDCT);
    }
};

}  // namespace bestfocus

BESTFOCUS_WINDOW_MEASURE(mdct, MDCT, MdctTerms)
