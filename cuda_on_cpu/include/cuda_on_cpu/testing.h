// Test-only view into cuda_on_cpu: live allocation accounting and fault injection.
// Never included by kernel or measure code.
#pragma once

#include <cuda_runtime.h>

#include <cstddef>
#include <cstdint>

namespace cuda_on_cpu::testing {

struct LiveAllocations {
    std::size_t device_count = 0;
    std::size_t device_bytes = 0;
    std::size_t pinned_count = 0;  // page-locked host memory (cudaMallocHost)
    std::size_t pinned_bytes = 0;
};

// Allocations made and not yet freed, over the whole process.
LiveAllocations live_allocations();

// Runtime calls that fault injection can target.
enum class Call {
    Allocation,   // cudaMalloc, cudaMallocHost
    Copy,         // cudaMemcpy, cudaMemcpyAsync, cudaMemset, cudaMemsetAsync
    Launch,       // cudaLaunchKernelEx
    Synchronize,  // cudaStreamSynchronize, cudaDeviceSynchronize
    Any,          // every call above
};

// Makes the nth call (1-based, counted from now, process-wide) of the given kind fail with the
// runtime's error code for it: cudaErrorMemoryAllocation for an allocation, cudaErrorInvalidValue
// for a copy or memset, cudaErrorLaunchFailure for a launch or a synchronisation. The call does
// nothing else. Replaces any earlier injection.
void inject_failure(Call which, int nth);

// True once the injected failure has been delivered.
bool injected_failure_fired();

// Cancels a pending injection.
void clear_injected_failure();

// The order in which the threads of a block take their turns between two barriers when they run
// on fibers. On a GPU they run in no defined order, so a kernel whose result depends on it lacks a
// barrier. In any order but Forward, every launch runs its blocks on fibers.
struct ThreadOrder {
    enum class Kind {
        Forward,  // increasing linear index (the default)
        Reverse,  // decreasing linear index
        Shuffle,  // a random permutation, drawn afresh for every block and every barrier interval
    };
    Kind kind = Kind::Forward;
    std::uint64_t seed = 0;  // of the permutations, for Shuffle: the same seed, the same orders
};

// Parses a value of CUDA_ON_CPU_THREAD_ORDER: "forward", "reverse" or "shuffle:SEED" with SEED a
// decimal integer. False for anything else.
bool parse_thread_order(const char* text, ThreadOrder* order);

// Selects the thread order of later launches from any host thread, replacing what
// CUDA_ON_CPU_THREAD_ORDER chose; call it while no launch is under way.
void set_thread_order(ThreadOrder order);
ThreadOrder thread_order();

// True when allocations are sized exactly and freed ones are never reused, and a block's dynamic
// shared memory ends where its launch asked (AddressSanitizer builds, or CUDA_ON_CPU_MEMCHECK=1).
bool memcheck_enabled();

}  // namespace cuda_on_cpu::testing
