#include "errors.h"

namespace cuda_on_cpu::detail {
namespace {
thread_local cudaError_t last_error = cudaSuccess;
}

cudaError_t record(cudaError_t error) {
    if (error != cudaSuccess) last_error = error;
    return error;
}

}  // namespace cuda_on_cpu::detail

cudaError_t cudaGetLastError() {
    using cuda_on_cpu::detail::last_error;
    const cudaError_t error = last_error;
    last_error = cudaSuccess;
    return error;
}

cudaError_t cudaPeekAtLastError() { return cuda_on_cpu::detail::last_error; }

const char* cudaGetErrorName(cudaError_t error) {
    switch (error) {
        case cudaSuccess: return "cudaSuccess";
        case cudaErrorInvalidValue: return "cudaErrorInvalidValue";
        case cudaErrorMemoryAllocation: return "cudaErrorMemoryAllocation";
        case cudaErrorInitializationError: return "cudaErrorInitializationError";
        case cudaErrorInvalidConfiguration: return "cudaErrorInvalidConfiguration";
        case cudaErrorInvalidDevicePointer: return "cudaErrorInvalidDevicePointer";
        case cudaErrorInvalidMemcpyDirection: return "cudaErrorInvalidMemcpyDirection";
        case cudaErrorInvalidDeviceFunction: return "cudaErrorInvalidDeviceFunction";
        case cudaErrorNoDevice: return "cudaErrorNoDevice";
        case cudaErrorInvalidDevice: return "cudaErrorInvalidDevice";
        case cudaErrorInvalidResourceHandle: return "cudaErrorInvalidResourceHandle";
        case cudaErrorNotReady: return "cudaErrorNotReady";
        case cudaErrorLaunchOutOfResources: return "cudaErrorLaunchOutOfResources";
        case cudaErrorLaunchFailure: return "cudaErrorLaunchFailure";
        case cudaErrorUnknown: return "cudaErrorUnknown";
    }
    return "unrecognized error code";
}

const char* cudaGetErrorString(cudaError_t error) {
    switch (error) {
        case cudaSuccess: return "no error";
        case cudaErrorInvalidValue: return "invalid argument";
        case cudaErrorMemoryAllocation: return "out of memory";
        case cudaErrorInitializationError: return "initialization error";
        case cudaErrorInvalidConfiguration: return "invalid configuration argument";
        case cudaErrorInvalidDevicePointer: return "invalid device pointer";
        case cudaErrorInvalidMemcpyDirection: return "invalid copy direction for memcpy";
        case cudaErrorInvalidDeviceFunction: return "invalid device function";
        case cudaErrorNoDevice: return "no CUDA-capable device is detected";
        case cudaErrorInvalidDevice: return "invalid device ordinal";
        case cudaErrorInvalidResourceHandle: return "invalid resource handle";
        case cudaErrorNotReady: return "device not ready";
        case cudaErrorLaunchOutOfResources: return "too many resources requested for launch";
        case cudaErrorLaunchFailure: return "unspecified launch failure";
        case cudaErrorUnknown: return "unknown error";
    }
    return "unrecognized error code";
}

cudaError_t cudaGetDeviceCount(int* count) {
    if (count == nullptr) return cuda_on_cpu::detail::record(cudaErrorInvalidValue);
    *count = 1;  // the CPU, standing in for one device
    return cudaSuccess;
}
