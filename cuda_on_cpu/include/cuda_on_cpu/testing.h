// Test-only view into cuda_on_cpu: live allocation accounting and fault injection.
// Never included by kernel or measure code.
#pragma once

#include <cuda_runtime.h>

#include <cstddef>

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

}  // namespace cuda_on_cpu::testing
