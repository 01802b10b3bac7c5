// Vollath F4, full-buffer form: the same value as the memory-efficient form,
//   F4 = sum of p[k] * p[k + W] over k < N1 - sum of p[k] * p[k + 2W] over k < N2,
//   N1 = (H - 1) * W, N2 = (H - 2) * W,
// computed by a chain of element-wise kernels that keep every intermediate in device memory: the
// image moved up by one and by two rows, the two product images, and one summation per product
// image. The kernels keep their given names: those ending in _s2 cover the first N2 elements,
// where both partners exist, those ending in _W the last row of one-row pairs, elements N2 to
// N1 - 1.

#include <cuda_runtime.h>

#include <cstddef>

#include "block_reduction.h"
#include "buffers.h"
#include "host_reduction.h"
#include "launch.h"
#include "measure_pipeline.h"
#include "measures.h"
#include "runtime_check.h"
#include "shared_memory.h"

// Launch: iDivUp(count, 1024) x 1 x 1 blocks of 1024 x 1 x 1 threads, no shared memory.
__global__ void Calcular_Shifts_1_2_pixels_Kernel_s2(double* shifted_1, double* shifted_2,
                                                     double* source, int row_length,
                                                     long long count) {
    const long long i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < count) {
        shifted_1[i] = source[i + row_length];
        shifted_2[i] = source[i + 2 * row_length];
    }
}

// Launch: iDivUp(row_length, 1024) x 1 x 1 blocks of 1024 x 1 x 1 threads, no shared memory.
__global__ void Calcular_Shifts_1_2_pixels_Kernel_W(double* destination, double* source,
                                                    int row_length, long long source_offset,
                                                    long long destination_offset) {
    const long long i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < row_length) {
        destination[i + destination_offset] = source[i + source_offset];
    }
}

// Launch: iDivUp(count, 1024) x 1 x 1 blocks of 1024 x 1 x 1 threads, no shared memory.
__global__ void Calcular_Productos_Kernel_s2(double* product_1, double* product_2, double* image,
                                             double* shifted_1, double* shifted_2,
                                             long long count) {
    const long long i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < count) {
        product_1[i] = image[i] * shifted_1[i];
        product_2[i] = image[i] * shifted_2[i];
    }
}

// Launch: iDivUp(row_length, 1024) x 1 x 1 blocks of 1024 x 1 x 1 threads, no shared memory.
__global__ void Calcular_Productos_Kernel_W(double* product, double* image, double* shifted,
                                            int row_length, long long offset) {
    const long long i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < row_length) {
        const long long k = i + offset;
        product[k] = image[k] * shifted[k];
    }
}

// Each thread loads two elements one block width apart, so a block covers 2048 elements and only
// the first half of the grid finds input; the other blocks write 0.0.
// Launch: iDivUp(count, 1024) x 1 x 1 blocks of 1024 x 1 x 1 threads, 8192 bytes of shared
// memory (sdata: one double per thread).
__global__ void Calcular_Suma(double* partial_sums, double* input, long long count) {
    double* sdata = bestfocus::shared_memory<double>();
    const long long i = 2 * blockIdx.x * blockDim.x + threadIdx.x;
    double v = 0.0;
    if (i < count) {
        v = input[i];
    }
    if (i + blockDim.x < count) {
        v = v + input[i + blockDim.x];
    }
    sdata[threadIdx.x] = v;
    bestfocus::reduce_block_sum(sdata, partial_sums);
}

namespace bestfocus {
namespace {

// A launch on the default stream of 1024-thread blocks; one over an empty range is skipped.
template <auto Kernel, class... Args>
bool launch_checked(const char* name, dim3 grid, std::size_t shared_bytes, Args... args) {
    return launched(launch_kernel<Kernel>(grid, dim3(kBlockThreads), shared_bytes, 0, args...),
                    name);
}

bool download(double* h_sums, const double* d_sums, int count) {
    const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(count);
    return bytes == 0 ||
           ok(cudaMemcpy(h_sums, d_sums, bytes, cudaMemcpyDeviceToHost), "cudaMemcpy");
}

// Host reduction: one loop per partial-sum array, each merged in thread order; the merge ends with
// the barrier between the loops.
double reduce_on_host(const double* h_sums_1, int count_1, const double* h_sums_2, int count_2,
                      int host_threads) {
    double sum_1 = 0.0;
    double sum_2 = 0.0;
#pragma omp parallel num_threads(host_team_size(host_threads))
    {
        merge_into(&sum_1, sum_own_share(h_sums_1, count_1));
        merge_into(&sum_2, sum_own_share(h_sums_2, count_2));
    }
    return sum_1 - sum_2;
}

// The steps of the measure on an image of at least two rows; the buffers are freed on the way
// out, whichever step it leaves from.
double full_buffer_on_device(const double* image, int width, int height, int host_threads) {
    const int n1 = (height - 1) * width;  // pixels with a partner one row down
    const int n2 = (height - 2) * width;  // pixels with a partner two rows down
    const std::size_t pixels = static_cast<std::size_t>(width * height);
    const std::size_t pixels_1 = static_cast<std::size_t>(n1);
    const std::size_t pixels_2 = static_cast<std::size_t>(n2);
    const int sums_1 = iDivUp(n1, kBlockThreads);
    const int sums_2 = iDivUp(n2, kBlockThreads);
    const dim3 grid_1(sums_1);
    const dim3 grid_2(sums_2);
    const dim3 grid_last_row(iDivUp(width, kBlockThreads));
    const std::size_t sdata_bytes = kBlockThreads * sizeof(double);
    const long long count_1 = n1;
    const long long count_2 = n2;

    DeviceBuffer<double> d_image;
    DeviceBuffer<double> d_shifted_1;  // the image moved up by one row
    DeviceBuffer<double> d_shifted_2;  // ... by two rows
    DeviceBuffer<double> d_product_1;  // each pixel times the one below
    DeviceBuffer<double> d_product_2;  // each pixel times the one two below
    DeviceBuffer<double> d_sums_1;
    DeviceBuffer<double> d_sums_2;
    PageableBuffer<double> h_sums_1;
    PageableBuffer<double> h_sums_2;
    WaitForIssuedWork wait_for_issued_work(0);

    if (!d_image.allocate(pixels)) return failed_measure();
    if (!d_shifted_1.allocate(pixels_1)) return failed_measure();
    if (!d_shifted_2.allocate(pixels_2)) return failed_measure();
    if (!d_product_1.allocate(pixels_1)) return failed_measure();
    if (!d_product_2.allocate(pixels_2)) return failed_measure();
    if (!d_sums_1.allocate(sums_1)) return failed_measure();
    if (!d_sums_2.allocate(sums_2)) return failed_measure();
    if (!h_sums_1.allocate(sums_1)) return failed_measure();
    if (!h_sums_2.allocate(sums_2)) return failed_measure();

    if (!ok(cudaMemcpy(d_image.get(), image, sizeof(double) * pixels, cudaMemcpyHostToDevice),
            "cudaMemcpy"))
        return failed_measure();
    // The partners: two rows down for the first N2 pixels, one row down for those and the row
    // after them.
    if (!launch_checked<Calcular_Shifts_1_2_pixels_Kernel_s2>(
            "Calcular_Shifts_1_2_pixels_Kernel_s2", grid_2, 0, d_shifted_1.get(), d_shifted_2.get(),
            d_image.get(), width, count_2))
        return failed_measure();
    if (!launch_checked<Calcular_Shifts_1_2_pixels_Kernel_W>(
            "Calcular_Shifts_1_2_pixels_Kernel_W", grid_last_row, 0, d_shifted_1.get(),
            d_image.get(), width, count_1, count_2))
        return failed_measure();
    // The products with the partners, over the same ranges.
    if (!launch_checked<Calcular_Productos_Kernel_s2>(
            "Calcular_Productos_Kernel_s2", grid_2, 0, d_product_1.get(), d_product_2.get(),
            d_image.get(), d_shifted_1.get(), d_shifted_2.get(), count_2))
        return failed_measure();
    if (!launch_checked<Calcular_Productos_Kernel_W>("Calcular_Productos_Kernel_W", grid_last_row,
                                                     0, d_product_1.get(), d_image.get(),
                                                     d_shifted_1.get(), width, count_2))
        return failed_measure();
    // One summation per product image.
    if (!launch_checked<Calcular_Suma>("Calcular_Suma", grid_1, sdata_bytes, d_sums_1.get(),
                                       d_product_1.get(), count_1))
        return failed_measure();
    if (!launch_checked<Calcular_Suma>("Calcular_Suma", grid_2, sdata_bytes, d_sums_2.get(),
                                       d_product_2.get(), count_2))
        return failed_measure();
    // Partial-sum array 1 is never empty (N1 >= W >= 1): this blocking copy waits for the kernels.
    if (!download(h_sums_1.get(), d_sums_1.get(), sums_1)) return failed_measure();
    if (!download(h_sums_2.get(), d_sums_2.get(), sums_2)) return failed_measure();
    wait_for_issued_work.finished();

    return reduce_on_host(h_sums_1.get(), sums_1, h_sums_2.get(), sums_2, host_threads);
}

}  // namespace
}  // namespace bestfocus

double funcion_VollathF4_GPU(const unsigned char* pixels, int width, int height, int host_threads) {
    using namespace bestfocus;
    start_measure_call();
    if (width < 1 || height < 2) {
        return 0.0;  // no pixel has a partner below it
    }
    if (!pixel_count_fits(width, height)) {
        return failed_measure();
    }
    const double value =
        full_buffer_on_device(reinterpret_cast<const double*>(pixels), width, height, host_threads);
    // A buffer that could not be freed fails the call too.
    return measure_call_failed() ? failed_measure() : value;
}
