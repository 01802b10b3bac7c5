// Kernel launches as the measures issue them.
#pragma once

#include <cuda_runtime.h>

#include <cstddef>
#include <utility>

namespace bestfocus {

// Blocks of every measure kernel have 1024 threads: 1024 x 1 for element-wise kernels, 32 x 32 for
// window kernels.
constexpr int kBlockThreads = 1024;
constexpr int kWindowBlockSide = 32;

// A grid without blocks covers an empty domain: it has nothing to do, and the runtime would refuse
// it, so it is never launched.
inline bool is_empty_grid(dim3 grid) { return grid.x == 0 || grid.y == 0 || grid.z == 0; }

inline cudaLaunchConfig_t launch_config(dim3 grid, dim3 block, std::size_t shared_bytes,
                                        cudaStream_t stream) {
    cudaLaunchConfig_t config = {};
    config.gridDim = grid;
    config.blockDim = block;
    config.dynamicSmemBytes = shared_bytes;
    config.stream = stream;
    return config;
}

// Launches Kernel(args...) with config: cudaLaunchKernelEx on a GPU. On the CPU the kernel goes
// to cuda_on_cpu as a template argument, so that the threads of a block run as one loop around
// the inlined kernel rather than as one call each.
template <auto Kernel, class... Args>
cudaError_t launch_kernel(const cudaLaunchConfig_t* config, Args&&... args) {
#ifdef __CUDACC__
    return cudaLaunchKernelEx(config, Kernel, std::forward<Args>(args)...);
#else
    return cuda_on_cpu::launch_kernel<Kernel>(config, std::forward<Args>(args)...);
#endif
}

// Launches Kernel(args...) on grid x block with shared_bytes of dynamic shared memory on stream;
// an empty grid succeeds without a launch.
template <auto Kernel, class... Args>
cudaError_t launch_kernel(dim3 grid, dim3 block, std::size_t shared_bytes, cudaStream_t stream,
                          Args&&... args) {
    if (is_empty_grid(grid)) {
        return cudaSuccess;
    }
    const cudaLaunchConfig_t config = launch_config(grid, block, shared_bytes, stream);
    return launch_kernel<Kernel>(&config, std::forward<Args>(args)...);
}

}  // namespace bestfocus
