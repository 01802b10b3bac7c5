// cuda_on_cpu: the part of the CUDA runtime API that our kernels use, carried out on the CPU.
//
// Kernel code written in the portable subset compiles unchanged against this header (with g++)
// and against the real <cuda_runtime.h> (with nvcc). Device memory is host memory; a grid's blocks
// run on a pool of worker threads, and the threads of a block run as fibers that switch at
// __syncthreads(). Names, signatures and error codes follow the real runtime.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

// ---- Qualifiers: meaningless on the CPU -------------------------------------------------------
#define __global__
#define __device__
#define __host__
// Device code cannot write constant memory, and our subset has no cudaMemcpyToSymbol: on the CPU
// such tables are plain constants, which the compiler can fold into the kernels.
#define __constant__ const
#define __forceinline__ inline __attribute__((always_inline))

// ---- Vector types ------------------------------------------------------------------------------
struct uint3 {
    unsigned int x, y, z;
};

struct dim3 {
    unsigned int x, y, z;
    constexpr dim3(unsigned int vx = 1, unsigned int vy = 1, unsigned int vz = 1)
        : x(vx), y(vy), z(vz) {}
    constexpr dim3(uint3 v) : x(v.x), y(v.y), z(v.z) {}
    constexpr operator uint3() const { return uint3{x, y, z}; }
};

// ---- Errors (values and names as in the real runtime) -------------------------------------------
enum cudaError {
    cudaSuccess = 0,
    cudaErrorInvalidValue = 1,
    cudaErrorMemoryAllocation = 2,
    cudaErrorInitializationError = 3,
    cudaErrorInvalidConfiguration = 9,
    cudaErrorInvalidDevicePointer = 17,
    cudaErrorInvalidMemcpyDirection = 21,
    cudaErrorInvalidDeviceFunction = 98,
    cudaErrorNoDevice = 100,
    cudaErrorInvalidDevice = 101,
    cudaErrorInvalidResourceHandle = 400,
    cudaErrorNotReady = 600,
    cudaErrorLaunchOutOfResources = 701,
    cudaErrorLaunchFailure = 719,
    cudaErrorUnknown = 999,
};
typedef enum cudaError cudaError_t;

enum cudaMemcpyKind {
    cudaMemcpyHostToHost = 0,
    cudaMemcpyHostToDevice = 1,
    cudaMemcpyDeviceToHost = 2,
    cudaMemcpyDeviceToDevice = 3,
    cudaMemcpyDefault = 4,
};

// ---- Streams -----------------------------------------------------------------------------------
struct CUstream_st;
typedef struct CUstream_st* cudaStream_t;
#define cudaStreamLegacy ((cudaStream_t)0x1)
#define cudaStreamPerThread ((cudaStream_t)0x2)

// ---- Launch configuration ----------------------------------------------------------------------
struct cudaLaunchAttribute_st;
typedef struct cudaLaunchAttribute_st cudaLaunchAttribute;

struct cudaLaunchConfig_st {
    dim3 gridDim;
    dim3 blockDim;
    size_t dynamicSmemBytes;
    cudaStream_t stream;
    cudaLaunchAttribute* attrs;  // launch attributes are not supported: numAttrs must be 0
    unsigned int numAttrs;
};
typedef struct cudaLaunchConfig_st cudaLaunchConfig_t;

// ---- Runtime API -------------------------------------------------------------------------------
cudaError_t cudaMalloc(void** devPtr, size_t size);
cudaError_t cudaFree(void* devPtr);
cudaError_t cudaMallocHost(void** ptr, size_t size);
cudaError_t cudaFreeHost(void* ptr);

template <class T>
inline cudaError_t cudaMalloc(T** devPtr, size_t size) {
    return cudaMalloc(reinterpret_cast<void**>(devPtr), size);
}
template <class T>
inline cudaError_t cudaMallocHost(T** ptr, size_t size) {
    return cudaMallocHost(reinterpret_cast<void**>(ptr), size);
}

cudaError_t cudaMemcpy(void* dst, const void* src, size_t count, cudaMemcpyKind kind);
cudaError_t cudaMemcpyAsync(void* dst, const void* src, size_t count, cudaMemcpyKind kind,
                            cudaStream_t stream = 0);
cudaError_t cudaMemset(void* devPtr, int value, size_t count);
cudaError_t cudaMemsetAsync(void* devPtr, int value, size_t count, cudaStream_t stream = 0);

cudaError_t cudaStreamCreate(cudaStream_t* pStream);
cudaError_t cudaStreamDestroy(cudaStream_t stream);
cudaError_t cudaStreamSynchronize(cudaStream_t stream);
cudaError_t cudaDeviceSynchronize();

cudaError_t cudaGetLastError();
cudaError_t cudaPeekAtLastError();
const char* cudaGetErrorString(cudaError_t error);
const char* cudaGetErrorName(cudaError_t error);
cudaError_t cudaGetDeviceCount(int* count);

// ---- Kernel side -------------------------------------------------------------------------------
// Indices of the calling GPU thread; set per fiber by the block scheduler. __thread rather than
// thread_local: these need no dynamic initialisation, so every read is a plain TLS load instead of
// a call through a TLS wrapper.
extern __thread uint3 threadIdx;
extern __thread uint3 blockIdx;
extern __thread dim3 blockDim;
extern __thread dim3 gridDim;

// Block-wide barrier. Reached by every thread of the block, or the launch fails.
void __syncthreads();

namespace cuda_on_cpu {

namespace detail {
// State of the block the calling host thread runs; read by the inline accessors below, which
// kernels call once per GPU thread.
extern __thread unsigned char* block_shared_memory;
extern __thread bool block_threads_plain;
}  // namespace detail

// Dynamic shared memory of the block the calling thread belongs to (what `extern __shared__`
// names on a GPU). 256-byte aligned.
inline void* dynamic_shared_memory() { return detail::block_shared_memory; }

// How the threads of a block are run.
enum class BlockThreads {
    // Each thread on a fiber of its own, switching at __syncthreads(), as on a GPU.
    Fibers,
    // Each thread as a plain call, one after another in increasing linear index; no fiber is
    // made and reaching __syncthreads() fails the launch. Kernels that ask
    // block_threads_run_in_order() can replace barrier-separated phases by sequential code.
    // The default.
    InOrder,
};

// Selects how later launches, from any host thread, run their blocks. Kernels that synchronise
// with __syncthreads() and have no in-order path need BlockThreads::Fibers.
void set_block_threads(BlockThreads how);
BlockThreads block_threads();

// True inside a kernel when the calling block's threads run one after another to completion in
// increasing linear index: every thread before this one has finished, none after it has started.
inline bool block_threads_run_in_order() { return detail::block_threads_plain; }

namespace detail {

// Runs the GPU thread that threadIdx names.
using ThreadBody = void (*)(const void* context);
// Runs `count` GPU threads one after another, from the one threadIdx names on in linear order.
using ThreadRange = void (*)(const void* context, unsigned count, const dim3& block);
// The launch machinery lives in the library; it calls back into the kernel through these.
cudaError_t launch(const cudaLaunchConfig_t* config, ThreadBody one, ThreadRange range,
                   const void* context);

// Steps threadIdx to the next thread of the block in linear order (x fastest).
inline void advance_thread_index(const dim3& block) {
    if (++threadIdx.x < block.x) return;
    threadIdx.x = 0;
    if (++threadIdx.y < block.y) return;
    threadIdx.y = 0;
    ++threadIdx.z;
}

// The kernel of a launch: known only at run time (cudaLaunchKernelEx), or a constant that the
// compiler can inline (launch_kernel<Kernel>).
template <class Pointer>
struct RuntimeKernel {
    Pointer pointer;
    Pointer get() const { return pointer; }
};
template <auto Kernel>
struct ConstantKernel {
    static constexpr auto get() { return Kernel; }
};

// One launch's kernel and arguments, already converted to the kernel's parameter types.
template <class Which, class Args>
struct KernelCall {
    Which which;
    Args args;
    static void run_one(const void* context) {
        const auto* call = static_cast<const KernelCall*>(context);
        std::apply(call->which.get(), call->args);
    }
    // Instantiated here rather than looping in the library, so that a thread costs at most one
    // call; a constant kernel is inlined into the loop (flatten: however large it is). Local
    // copies, because the stores to threadIdx could alias int arguments, which would then be
    // reloaded for every thread.
    __attribute__((flatten)) static void run_range(const void* context, unsigned count,
                                                   const dim3& block) {
        const auto* call = static_cast<const KernelCall*>(context);
        const Which which = call->which;
        const Args args = call->args;
        for (unsigned i = 0; i < count; ++i) {
            std::apply(which.get(), args);
            advance_thread_index(block);
        }
    }
};

template <class Which, typename... ExpTypes, typename... ActTypes>
inline cudaError_t launch_call(Which which, void (*)(ExpTypes...), const cudaLaunchConfig_t* config,
                               ActTypes&&... args) {
    static_assert(sizeof...(ExpTypes) == sizeof...(ActTypes), "wrong number of kernel arguments");
    using Args = std::tuple<std::decay_t<ExpTypes>...>;
    using Call = KernelCall<Which, Args>;
    const Call call{which, Args(std::forward<ActTypes>(args)...)};
    return launch(config, &Call::run_one, &Call::run_range, &call);
}

}  // namespace detail

// cudaLaunchKernelEx with the kernel as a template argument: the same launch, but a block whose
// threads run in order costs one loop around the inlined kernel instead of a call per thread.
// Not part of the CUDA API: code shared with nvcc builds calls it only where __CUDACC__ is unset.
template <auto Kernel, typename... ActTypes>
inline cudaError_t launch_kernel(const cudaLaunchConfig_t* config, ActTypes&&... args) {
    return detail::launch_call(detail::ConstantKernel<Kernel>{}, Kernel, config,
                               std::forward<ActTypes>(args)...);
}

}  // namespace cuda_on_cpu

// Launches kernel with the given configuration. The arguments are converted to the kernel's
// parameter types before the launch, as the real template does.
template <typename... ExpTypes, typename... ActTypes>
inline cudaError_t cudaLaunchKernelEx(const cudaLaunchConfig_t* config, void (*kernel)(ExpTypes...),
                                      ActTypes&&... args) {
    using Pointer = void (*)(ExpTypes...);
    return cuda_on_cpu::detail::launch_call(cuda_on_cpu::detail::RuntimeKernel<Pointer>{kernel},
                                            kernel, config, std::forward<ActTypes>(args)...);
}
