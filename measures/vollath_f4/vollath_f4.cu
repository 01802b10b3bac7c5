// Vollath F4, memory-efficient form: F4 = S1 - S2 with
//   S1 = sum of I[i] * I[i + W] over 0 <= i < (H - 1) * W   (each pixel times the one below)
//   S2 = sum of I[i] * I[i + 2W] over 0 <= i < (H - 2) * W  (each pixel times the one two below).
// One kernel forms both products for the first (H - 2) * W pixels and reduces both sums per
// block; the host adds the W products of the last row pair, which have no partner two rows down.

#include <cuda_runtime.h>

#include "block_reduction.h"
#include "exact_terms_kernel.h"
#include "launch.h"
#include "measure_pipeline.h"
#include "measures.h"
#include "shared_memory.h"
#include "vollath_f4_stencil.h"

// Launch: iDivUp(count, 1024) x 1 x 1 blocks of 1024 x 1 x 1 threads, 16384 bytes of shared
// memory (sum1_sum2: 1024 doubles for each sum).
__global__ void Calcular_VollathF4_Kernel_s2(double* partial_sums_1, double* partial_sums_2,
                                             double* image, int shift_1, long long count,
                                             long long shift_2) {
    double* sum1_sum2 = bestfocus::shared_memory<double>();
    const unsigned int t = threadIdx.x;
    const unsigned int b = blockDim.x;
    const long long i = blockIdx.x * blockDim.x + threadIdx.x;
    sum1_sum2[t] = 0.0;
    sum1_sum2[b + t] = 0.0;
    if (i < count) {
        sum1_sum2[t] = bestfocus::vollath_f4_product<double>(image + i, shift_1);
        sum1_sum2[b + t] = bestfocus::vollath_f4_product<double>(image + i, shift_2);
    }
    bestfocus::reduce_block_sums(sum1_sum2, partial_sums_1, partial_sums_2);
}

namespace bestfocus {
namespace {

cudaError_t launch_vollath_f4(const cudaLaunchConfig_t* config, const KernelBuffers& buffers,
                              int width, int height) {
    const int count = (height - 2) * width;
    const int shift_2 = 2 * width;
    return launch_kernel<Calcular_VollathF4_Kernel_s2>(
        config, buffers.d_sums[0], buffers.d_sums[1], buffers.d_image, width,
        static_cast<long long>(count), static_cast<long long>(shift_2));
}

// Product k of the last row pair: column k of row H - 2 times column k of row H - 1.
double last_row_pair_product(const HostImage& image, long long k) {
    const long long row_h_minus_2 = (image.height - 2) * image.width;
    const long long row_h_minus_1 = (image.height - 1) * image.width;
    return host_pixel(image, row_h_minus_2 + k) * host_pixel(image, row_h_minus_1 + k);
}

MeasureKernel describe_vollath_f4(int width, int height) {
    MeasureKernel kernel = {};
    kernel.name = "Calcular_VollathF4_Kernel_s2";
    kernel.grid = dim3(iDivUp((height - 2) * width, kBlockThreads));
    kernel.block = dim3(kBlockThreads);
    kernel.sum_arrays = 2;
    kernel.launch = launch_vollath_f4;
    kernel.host_term_count = width;
    kernel.host_term = last_row_pair_product;
    return kernel;
}

double vollath_f4(const MeasureCall& call) {
    if (call.height < 2) {
        return 0.0;  // no pixel has a partner below it, and there is no last row pair
    }
    return run_measure(call, describe_vollath_f4);
}

}  // namespace

// The exact kernels' terms, one per pixel (x, y) of the rows with a row below: its product with
// the pixel below, less its product with the pixel two below where there is one (all rows but
// the last pair's), so that S1 - S2 is one sum.
struct VollathF4Terms {
    static constexpr const char* kKernelName = "exact_terms_kernel<VollathF4Terms>";
    static constexpr int kPixelPower = vollath_f4_pixel_power;
    BESTFOCUS_HOST_DEVICE static int anchors_x(int width) { return width; }
    BESTFOCUS_HOST_DEVICE static int anchors_y(int height) { return height - 1; }
    static constexpr long long largest_term(long long max_pixel) {
        return vollath_f4_largest_term(max_pixel);
    }
    template <class Pixel>
    __device__ static long long at(const Pixel* image, int width, int height, int x, int y) {
        const Pixel* pixel = image + y * width + x;
        long long term = vollath_f4_product<long long>(pixel, width);
        if (y + 2 < height) {
            term -= vollath_f4_product<long long>(pixel, 2LL * width);
        }
        return term;
    }
};

}  // namespace bestfocus

BESTFOCUS_EXACT_KERNEL_MEASURES(vollath_f4, VollathF4Terms)
BESTFOCUS_MEASURE_ENTRY_POINTS(VollathF4_MemEficient, bestfocus::vollath_f4)
