// Per-host-thread error state, as cudaGetLastError reports it.
#pragma once

#include <cuda_runtime.h>

namespace cuda_on_cpu::detail {

// Remembers a failure for cudaGetLastError on the calling thread and returns the code unchanged.
cudaError_t record(cudaError_t error);

}  // namespace cuda_on_cpu::detail
