// Why the last measure function called on this thread returned NaN.
//
// The measure functions keep their contract (a failed runtime call gives a quiet NaN) and note
// the first call that failed here, so that the caller can say what went wrong: out of memory, no
// device, a driver too old for the kernels. Plain strings, so the caller needs no CUDA header.
#pragma once

namespace bestfocus {

struct MeasureFailure {
    const char* call = nullptr;        // e.g. "cudaMalloc"; nullptr when no call failed
    const char* kernel = nullptr;      // for a launch: the kernel's name; nullptr otherwise
    const char* error_name = nullptr;  // cudaGetErrorName of the status, e.g. "cudaErrorNoDevice"
    const char* error_text = nullptr;  // cudaGetErrorString of the status
};

// The first failed call of the last measure function that returned on this thread; empty (call
// nullptr) when that function had no failed call, or none has been called.
MeasureFailure last_measure_failure();

}  // namespace bestfocus
