// Whether the CUDA runtime has a device for the measures: what chooses between the GPU and the
// CPU engine. Plain strings, so the caller needs no CUDA header.
#pragma once

namespace bestfocus {

struct CudaDevices {
    int count = 0;                     // devices the runtime reports
    const char* error_name = nullptr;  // when the runtime could not count them, e.g.
                                       // "cudaErrorNoDevice" or "cudaErrorInsufficientDriver"
    const char* error_text = nullptr;  // cudaGetErrorString of that error
};

// Asks the runtime for its devices (cudaGetDeviceCount).
CudaDevices query_cuda_devices();

}  // namespace bestfocus
