#include <cuda_runtime.h>

#include "cuda_device.h"

namespace bestfocus {

CudaDevices query_cuda_devices() {
    CudaDevices devices;
    const cudaError_t status = cudaGetDeviceCount(&devices.count);
    if (status != cudaSuccess) {
        devices.count = 0;
        devices.error_name = cudaGetErrorName(status);
        devices.error_text = cudaGetErrorString(status);
        // The failed query must not stay behind as this thread's last error.
        (void)cudaGetLastError();
    }
    return devices;
}

}  // namespace bestfocus
