// The runtime's fixed costs: an empty launch, and a 1024-thread block that reaches 11 barriers
// (the block tree reduction every measure ends with).
#include <benchmark/benchmark.h>
#include <cuda_runtime.h>

#ifdef __CUDACC__
__device__ double* shared_doubles() {
    extern __shared__ double shared_storage[];
    return shared_storage;
}
#else
double* shared_doubles() { return static_cast<double*>(cuda_on_cpu::dynamic_shared_memory()); }
#endif

// Any grid; does nothing.
__global__ void empty_kernel() {}

// Grid: any number of 1024-thread blocks, 8 KiB shared. Halving tree over 1024 slots: 1 + 10
// barriers.
__global__ void tree_reduction(double* sums) {
    double* s = shared_doubles();
    const unsigned t = threadIdx.x;
    s[t] = t;
    __syncthreads();
    for (unsigned k = blockDim.x / 2; k != 0; k >>= 1) {
        if (t < k) s[t] = s[t + k] + s[t];
        __syncthreads();
    }
    if (t == 0) sums[blockIdx.x] = s[0];
}

static cudaLaunchConfig_t config_of(unsigned blocks, unsigned threads, size_t shared_bytes) {
    cudaLaunchConfig_t config = {};
    config.gridDim = dim3(blocks);
    config.blockDim = dim3(threads);
    config.dynamicSmemBytes = shared_bytes;
    return config;
}

static void EmptyLaunch(benchmark::State& state) {
    const cudaLaunchConfig_t config = config_of(1, 1, 0);
    for (auto _ : state) cudaLaunchKernelEx(&config, empty_kernel);
    cudaDeviceSynchronize();
}
BENCHMARK(EmptyLaunch);

// The counter is the wall time per thread per barrier.
static void BlockWithElevenBarriers(benchmark::State& state) {
#ifndef __CUDACC__
    cuda_on_cpu::set_block_threads(cuda_on_cpu::BlockThreads::Fibers);
#endif
    const unsigned blocks = static_cast<unsigned>(state.range(0));
    double* d_sums = nullptr;
    cudaMalloc(&d_sums, blocks * sizeof(double));
    const cudaLaunchConfig_t config = config_of(blocks, 1024, 1024 * sizeof(double));
    for (auto _ : state) cudaLaunchKernelEx(&config, tree_reduction, d_sums);
    cudaDeviceSynchronize();
    cudaFree(d_sums);
    const double thread_barriers = 1024.0 * 11 * blocks;
    state.counters["per_thread_barrier"] =
        benchmark::Counter(thread_barriers * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BlockWithElevenBarriers)->Arg(1)->Arg(64)->UseRealTime();

#ifndef __CUDACC__
// Grid: any number of 1024-thread blocks, 8 KiB shared. The same sum when the block's threads run
// in order: each stores its slot, and the last one folds the tree alone.
__global__ void tree_reduction_in_order(double* sums) {
    double* s = shared_doubles();
    const unsigned t = threadIdx.x;
    s[t] = t;
    if (t != blockDim.x - 1) return;
    for (unsigned k = blockDim.x / 2; k != 0; k >>= 1) {
        for (unsigned i = 0; i < k; ++i) s[i] = s[i + k] + s[i];
    }
    sums[blockIdx.x] = s[0];
}

// The counter is the wall time per thread.
static void BlockInOrder(benchmark::State& state) {
    cuda_on_cpu::set_block_threads(cuda_on_cpu::BlockThreads::InOrder);
    const unsigned blocks = static_cast<unsigned>(state.range(0));
    double* d_sums = nullptr;
    cudaMalloc(&d_sums, blocks * sizeof(double));
    const cudaLaunchConfig_t config = config_of(blocks, 1024, 1024 * sizeof(double));
    for (auto _ : state) cudaLaunchKernelEx(&config, tree_reduction_in_order, d_sums);
    cudaFree(d_sums);
    state.counters["per_thread"] =
        benchmark::Counter(1024.0 * blocks * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BlockInOrder)->Arg(1)->Arg(64)->UseRealTime();
#endif

BENCHMARK_MAIN();
