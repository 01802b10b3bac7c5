// Vollath F4, full-buffer form: the same value as the memory-efficient form,
//   F4 = sum of p[k] * p[k + W] over k < N1 - sum of p[k] * p[k + 2W] over k < N2,
//   N1 = (H - 1) * W, N2 = (H - 2) * W,
// computed by a chain of element-wise kernels that keep every intermediate in device memory: the
// image moved up by one and by two rows, the two product images, and one summation per product
// image. Kernels ending in _s2 cover the first N2 elements, where both partners exist; those
// ending in _W the last row of one-row pairs, elements N2 to N1 - 1.

#include <cuda_runtime.h>

#include "block_reduction.h"
#include "buffers.h"
#include "host_reduction.h"
#include "launch.h"
#include "measure_pipeline.h"
#include "measures.h"
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
    double* sdata = shared_memory<double>();
    const long long i = 2 * blockIdx.x * blockDim.x + threadIdx.x;
    double v = 0.0;
    if (i < count) {
        v = input[i];
    }
    if (i + blockDim.x < count) {
        v = v + input[i + blockDim.x];
    }
    sdata[threadIdx.x] = v;
    reduce_block_sum(sdata, partial_sums);
}

namespace {

struct FullBuffers {
    double* d_image;
    double* d_shifted_1;
    double* d_shifted_2;
    double* d_product_1;
    double* d_product_2;
    double* d_sums_1;
    double* d_sums_2;
    double* h_sums_1;
    double* h_sums_2;
};

bool zero_device(double* d_buffer, std::size_t bytes) {
    return bytes == 0 || cudaMemset(d_buffer, 0, bytes) == cudaSuccess;
}

bool download(double* h_buffer, const double* d_buffer, std::size_t bytes) {
    return bytes == 0 ||
           cudaMemcpy(h_buffer, d_buffer, bytes, cudaMemcpyDeviceToHost) == cudaSuccess;
}

// The six launches, all on the default stream; those over an empty range are skipped.
bool launch_all(const FullBuffers& b, int width, int n1, int n2) {
    const dim3 block(kBlockThreads);
    const dim3 grid_1(iDivUp(n1, kBlockThreads));
    const dim3 grid_2(iDivUp(n2, kBlockThreads));
    const dim3 grid_w(iDivUp(width, kBlockThreads));
    const std::size_t sdata_bytes = kBlockThreads * sizeof(double);
    const long long count_1 = n1;
    const long long count_2 = n2;
    return launch_kernel<Calcular_Shifts_1_2_pixels_Kernel_s2>(grid_2, block, 0, 0, b.d_shifted_1,
                                                               b.d_shifted_2, b.d_image, width,
                                                               count_2) == cudaSuccess &&
           launch_kernel<Calcular_Shifts_1_2_pixels_Kernel_W>(grid_w, block, 0, 0, b.d_shifted_1,
                                                              b.d_image, width, count_1,
                                                              count_2) == cudaSuccess &&
           launch_kernel<Calcular_Productos_Kernel_s2>(grid_2, block, 0, 0, b.d_product_1,
                                                       b.d_product_2, b.d_image, b.d_shifted_1,
                                                       b.d_shifted_2, count_2) == cudaSuccess &&
           launch_kernel<Calcular_Productos_Kernel_W>(grid_w, block, 0, 0, b.d_product_1, b.d_image,
                                                      b.d_shifted_1, width,
                                                      count_2) == cudaSuccess &&
           launch_kernel<Calcular_Suma>(grid_1, block, sdata_bytes, 0, b.d_sums_1, b.d_product_1,
                                        count_1) == cudaSuccess &&
           launch_kernel<Calcular_Suma>(grid_2, block, sdata_bytes, 0, b.d_sums_2, b.d_product_2,
                                        count_2) == cudaSuccess;
}

// Host reduction: one loop per partial-sum array, each merged in thread order; the merge ends with
// the barrier between the loops.
double reduce_on_host(const FullBuffers& b, int count_1, int count_2, int host_threads) {
    double sum_1 = 0.0;
    double sum_2 = 0.0;
#pragma omp parallel num_threads(host_team_size(host_threads))
    {
        merge_into(&sum_1, sum_own_share(b.h_sums_1, count_1));
        merge_into(&sum_2, sum_own_share(b.h_sums_2, count_2));
    }
    return sum_1 - sum_2;
}

}  // namespace

double funcion_VollathF4_GPU(const unsigned char* pixels, int width, int height, int host_threads) {
    if (width < 1 || height < 2) {
        return 0.0;  // no pixel has a partner below it
    }
    if (!pixel_count_fits_int(width, height)) {
        return failed_measure();
    }
    const int n1 = (height - 1) * width;
    const int n2 = (height - 2) * width;
    const std::size_t image_bytes = sizeof(double) * static_cast<std::size_t>(width * height);
    const std::size_t n1_bytes = sizeof(double) * static_cast<std::size_t>(n1);
    const std::size_t n2_bytes = sizeof(double) * static_cast<std::size_t>(n2);
    const int count_1 = iDivUp(n1, kBlockThreads);
    const int count_2 = iDivUp(n2, kBlockThreads);
    const std::size_t sums_1_bytes = sizeof(double) * static_cast<std::size_t>(count_1);
    const std::size_t sums_2_bytes = sizeof(double) * static_cast<std::size_t>(count_2);

    Buffers owned = no_buffers();
    FullBuffers b = {};
    bool ok = allocate_buffer(&owned, Memory::Device, image_bytes, &b.d_image) &&
              allocate_buffer(&owned, Memory::Device, n1_bytes, &b.d_shifted_1) &&
              allocate_buffer(&owned, Memory::Device, n2_bytes, &b.d_shifted_2) &&
              allocate_buffer(&owned, Memory::Device, n1_bytes, &b.d_product_1) &&
              allocate_buffer(&owned, Memory::Device, n2_bytes, &b.d_product_2) &&
              allocate_buffer(&owned, Memory::Device, sums_1_bytes, &b.d_sums_1) &&
              allocate_buffer(&owned, Memory::Device, sums_2_bytes, &b.d_sums_2) &&
              zero_device(b.d_sums_1, sums_1_bytes) && zero_device(b.d_sums_2, sums_2_bytes) &&
              allocate_buffer(&owned, Memory::Pageable, sums_1_bytes, &b.h_sums_1) &&
              allocate_buffer(&owned, Memory::Pageable, sums_2_bytes, &b.h_sums_2) &&
              cudaMemcpy(b.d_image, pixels, image_bytes, cudaMemcpyHostToDevice) == cudaSuccess &&
              launch_all(b, width, n1, n2) &&
              // Partial-sum array 1 is never empty (n1 >= width >= 1), so this blocking copy
              // waits for all the kernels.
              download(b.h_sums_1, b.d_sums_1, sums_1_bytes) &&
              download(b.h_sums_2, b.d_sums_2, sums_2_bytes);

    double result = failed_measure();
    if (ok) {
        result = reduce_on_host(b, count_1, count_2, host_threads);
    } else {
        // Kernels issued before the failure may still use the buffers; the result is NaN anyway.
        (void)cudaStreamSynchronize(0);
    }
    if (!release_buffers(&owned)) {
        result = failed_measure();
    }
    return result;
}
