#include <cuda_runtime.h>

#include "block_reduction.h"
#include "launch.h"
#include "pixel_moment_kernels.h"
#include "shared_memory.h"
#include "window_measure.h"

// Launch: (iDivUp(W, 32), iDivUp(H or H - 1, 32)) blocks of 32 x 32, 8192 B shared (momento_b).
template <bestfocus::PixelMoment moment>
__global__ void Calcular_Momento_Kernel(double* partial_sums, double* image, int width,
                                        int height) {
    double* momento_b = bestfocus::shared_memory<double>();
    const int x = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
    const int y = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
    const unsigned int t = bestfocus::linear_thread_index();
    momento_b[t] = 0.0;
    if (x < bestfocus::moment_anchors_x(width) && y < bestfocus::moment_anchors_y(moment, height)) {
        momento_b[t] = bestfocus::moment_term<moment, double>(image + y * width + x, width);
    }
    bestfocus::reduce_block_sum(momento_b, partial_sums);
}

namespace bestfocus {
namespace {

template <PixelMoment moment>
cudaError_t launch_moment(const cudaLaunchConfig_t* config, const KernelBuffers& buffers, int width,
                          int height) {
    return launch_kernel<Calcular_Momento_Kernel<moment>>(config, buffers.d_sums[0],
                                                          buffers.d_image, width, height);
}

template <PixelMoment moment>
MeasureKernel describe_moment(int width, int height) {
    return describe_window_measure("Calcular_Momento_Kernel", moment_anchors_x(width),
                                   moment_anchors_y(moment, height), launch_moment<moment>);
}

}  // namespace

double moment_sum(const MeasureCall& call, PixelMoment moment) {
    switch (moment) {
        case PixelMoment::pixels: return run_measure(call, describe_moment<PixelMoment::pixels>);
        case PixelMoment::squares: return run_measure(call, describe_moment<PixelMoment::squares>);
        case PixelMoment::row_products: break;
    }
    return run_measure(call, describe_moment<PixelMoment::row_products>);
}

}  // namespace bestfocus
