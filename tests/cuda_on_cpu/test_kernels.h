// Small kernels for exercising the runtime; they are test code, not measures.
#pragma once

#include <cuda_runtime.h>

#ifdef __CUDACC__
template <class T>
__device__ T* shared_array() {
    extern __shared__ double shared_storage[];
    return reinterpret_cast<T*>(shared_storage);
}
#else
template <class T>
T* shared_array() {
    return static_cast<T*>(cuda_on_cpu::dynamic_shared_memory());
}
#endif

// Grid: ceil(n / blockDim.x) blocks of blockDim.x threads (a power of two); shared: 8 bytes per
// thread. Each block adds its elements with a halving tree and writes one sum per block.
__global__ void block_sums(double* sums, const double* in, int n) {
    double* s = shared_array<double>();
    const unsigned t = threadIdx.x;
    const long long i = (long long)blockIdx.x * blockDim.x + t;
    s[t] = 0.0;
    if (i < n) s[t] = in[i];
    __syncthreads();
    for (unsigned k = blockDim.x / 2; k != 0; k >>= 1) {
        if (t < k) s[t] = s[t + k] + s[t];
        __syncthreads();
    }
    if (t == 0) sums[blockIdx.x] = s[0];
}

// Any 1-D grid; no shared memory, no barrier. out[i] = 2 * in[i] + 1.
__global__ void twice_plus_one(double* out, const double* in, int n) {
    const long long i = (long long)blockIdx.x * blockDim.x + threadIdx.x;
    if (i < n) out[i] = 2.0 * in[i] + 1.0;
}

// Any 2-D grid of 2-D blocks; every thread records its indices at its global position.
__global__ void record_indices(unsigned* out, int width, int height) {
    const unsigned x = blockIdx.x * blockDim.x + threadIdx.x;
    const unsigned y = blockIdx.y * blockDim.y + threadIdx.y;
    if (x >= (unsigned)width || y >= (unsigned)height) return;
    unsigned* cell = out + 8 * ((size_t)y * width + x);
    cell[0] = threadIdx.x;
    cell[1] = threadIdx.y;
    cell[2] = blockIdx.x;
    cell[3] = blockIdx.y;
    cell[4] = blockDim.x;
    cell[5] = blockDim.y;
    cell[6] = gridDim.x;
    cell[7] = gridDim.y;
}

// One block; thread `leaver` returns before the barrier that all others reach.
__global__ void leave_before_barrier(int* out, unsigned leaver) {
    if (threadIdx.x == leaver) return;
    __syncthreads();
    out[threadIdx.x] = 1;
}

// out[i] = out[i] * factor + addend, for composing ordered work on a stream.
__global__ void scale_add(double* out, double factor, double addend, int n) {
    const long long i = (long long)blockIdx.x * blockDim.x + threadIdx.x;
    if (i < n) out[i] = out[i] * factor + addend;
}

inline cudaLaunchConfig_t launch_config(dim3 grid, dim3 block, size_t shared_bytes = 0,
                                        cudaStream_t stream = 0) {
    cudaLaunchConfig_t config = {};
    config.gridDim = grid;
    config.blockDim = block;
    config.dynamicSmemBytes = shared_bytes;
    config.stream = stream;
    return config;
}

#ifndef __CUDACC__
// Runs block threads on fibers for as long as it lives, as kernels with barriers need.
class BlockThreadsOnFibers {
  public:
    BlockThreadsOnFibers() : before_(cuda_on_cpu::block_threads()) {
        cuda_on_cpu::set_block_threads(cuda_on_cpu::BlockThreads::Fibers);
    }
    ~BlockThreadsOnFibers() { cuda_on_cpu::set_block_threads(before_); }

  private:
    cuda_on_cpu::BlockThreads before_;
};
#endif

// Skips the calling test where no device can run kernels (the CUDA build on a machine without GPU).
#define SKIP_WITHOUT_DEVICE()                                                      \
    do {                                                                           \
        int device_count = 0;                                                      \
        if (cudaGetDeviceCount(&device_count) != cudaSuccess || device_count == 0) \
            GTEST_SKIP() << "no CUDA device";                                      \
    } while (0)
