// Sum-modified Laplacian: at every position of a 3 x 3 window, anchored at (x, y) with x < W - 2
// and y < H - 2 and centred on pixel (x + 1, y + 1), the term
//   |2 c - left - right| + |2 c - above - below|;
// the focus value is the sum of the terms (pixels taken as value / 255: the value is over 255,
// not 255^2).

#include <cuda_runtime.h>

#include "block_reduction.h"
#include "measures.h"
#include "shared_memory.h"
#include "sum_modified_laplacian_stencil.h"
#include "window_measure.h"

// Launch: (iDivUp(W - 2, 32), iDivUp(H - 2, 32)) blocks of 32 x 32, 8192 B shared (sml_b).
__global__ void Calcular_SML_Kernel(double* partial_sums, double* image, int width, int height) {
    double* sml_b = bestfocus::shared_memory<double>();
    const int x = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
    const int y = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
    const unsigned int t = bestfocus::linear_thread_index();
    sml_b[t] = 0.0;
    if (x < bestfocus::sum_modified_laplacian_anchors(width) &&
        y < bestfocus::sum_modified_laplacian_anchors(height)) {
        sml_b[t] =
            bestfocus::sum_modified_laplacian_term<double>(image + (y + 1) * width + x + 1, width);
    }
    bestfocus::reduce_block_sum(sml_b, partial_sums);
}

namespace bestfocus {

// The measure's terms, on the integer pixels for the exact kernels (window_measure.h).
struct SumModifiedLaplacianTerms {
    static constexpr const char* kMeasureKernelName = "Calcular_SML_Kernel";
    static constexpr const char* kKernelName = "exact_terms_kernel<SumModifiedLaplacianTerms>";
    static constexpr WindowKernelLaunch launch = launch_window_kernel<Calcular_SML_Kernel>;
    static constexpr int kPixelPower = sum_modified_laplacian_pixel_power;
    BESTFOCUS_HOST_DEVICE static int anchors_x(int width) {
        return sum_modified_laplacian_anchors(width);
    }
    BESTFOCUS_HOST_DEVICE static int anchors_y(int height) {
        return sum_modified_laplacian_anchors(height);
    }
    static constexpr long long largest_term(long long max_pixel) {
        return sum_modified_laplacian_largest_term(max_pixel);
    }
    template <class Pixel>
    __device__ static long long at(const Pixel* image, int width, int, int x, int y) {
        return sum_modified_laplacian_term<long long, int>(image + (y + 1) * width + x + 1, width);
    }
};

}  // namespace bestfocus

BESTFOCUS_WINDOW_MEASURE(sum_modified_laplacian, SML, SumModifiedLaplacianTerms)
