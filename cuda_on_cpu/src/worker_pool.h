// The simulated device's multiprocessors: one worker thread per core.
#pragma once

#include <cstddef>

namespace cuda_on_cpu::detail {

// One unit of work; false stops the others from starting more.
using Task = bool (*)(const void* context, std::size_t index);

// Runs task(context, i) for every i in [0, count) on the pool's workers and the calling thread,
// and returns when all have finished. Once a task returns false no further index is started and
// the result is false. One caller at a time (callers hold the device lock).
bool run_on_pool(std::size_t count, Task task, const void* context);

}  // namespace cuda_on_cpu::detail
