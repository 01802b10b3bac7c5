// The one simulated device: its operations run one at a time, in issue order, whichever host
// thread issues them (the legacy default stream's ordering).
#pragma once

#include <cuda_runtime.h>

#include <mutex>

namespace cuda_on_cpu::detail {

std::mutex& device_mutex();

// True for the default stream handles and for streams created and not yet destroyed.
bool valid_stream(cudaStream_t stream);

}  // namespace cuda_on_cpu::detail
