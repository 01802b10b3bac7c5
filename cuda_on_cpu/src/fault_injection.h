// Failures injected by tests into the next runtime calls (see cuda_on_cpu/testing.h).
#pragma once

#include <cuda_on_cpu/testing.h>

namespace cuda_on_cpu::detail {

// Counts a call of the given kind; true when an injected failure falls on this call.
bool injected_failure_due(testing::Call call);

}  // namespace cuda_on_cpu::detail
