// Checked runtime calls inside a measure function: each failure is noted for
// last_measure_failure, the first one of the call winning.
//
// A measure function starts with start_measure_call(), checks every runtime call with ok() or
// launched(), and gives NaN when measure_call_failed() at its end, so that a buffer its owner
// could not free also fails the call.
#pragma once

#include <cuda_runtime.h>

#include "measure_failure.h"

namespace bestfocus {

// Forgets the failure of the thread's previous measure call.
void start_measure_call();

// True when status is cudaSuccess; otherwise notes `call` (a runtime function's name) and the
// status, unless the measure call already failed.
bool ok(cudaError_t status, const char* call);

// ok() for a kernel launch: notes cudaLaunchKernelEx and the kernel's name.
bool launched(cudaError_t status, const char* kernel);

// Notes that malloc returned nullptr; always false.
bool host_allocation_failed();

// Whether a call since start_measure_call() failed.
bool measure_call_failed();

}  // namespace bestfocus
