// Tenengrad: at every position of a 3 x 3 window, anchored at (x, y) with x < W - 2 and
// y < H - 2 and centred on pixel (x + 1, y + 1), the Sobel gradients
//   Gx = sum of kernel_TEN(i, j) * p(x + j, y + i),  Gy = the same with kernel_TEN_T,
// and the term Gx^2 + Gy^2; the focus value is the sum of the terms. No threshold, no root.

#include <cuda_runtime.h>

#include "block_reduction.h"
#include "launch.h"
#include "measure_pipeline.h"
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
        double gx = 0.0;
        double gy = 0.0;
        // Zero coefficients are skipped: the centre pixel, in neither gradient, is never read.
        for (int i = 0; i < 3; ++i) {
            const double* row = image + (y + i) * width + x;
            for (int j = 0; j < 3; ++j) {
                const int k = 3 * i + j;
                if (kernel_TEN[k] != 0) {
                    gx += kernel_TEN[k] * row[j];
                }
                if (kernel_TEN_T[k] != 0) {
                    gy += kernel_TEN_T[k] * row[j];
                }
            }
        }
        ten_b[t] = gx * gx + gy * gy;
    }
    bestfocus::reduce_block_sum(ten_b, partial_sums);
}

namespace bestfocus {
namespace {

cudaError_t launch_tenengrad(const cudaLaunchConfig_t* config, const KernelBuffers& buffers,
                             int width, int height) {
    return launch_kernel<Calcular_TEN_Kernel>(config, buffers.d_sums[0], buffers.d_image, width,
                                              height);
}

MeasureKernel describe_tenengrad(int width, int height) {
    return describe_window_measure("Calcular_TEN_Kernel", tenengrad_anchors(width),
                                   tenengrad_anchors(height), launch_tenengrad);
}

}  // namespace
}  // namespace bestfocus

BESTFOCUS_MEASURE_ENTRY_POINTS(TEN, bestfocus::run_described_measure<bestfocus::describe_tenengrad>)
