// cudaMemcpy and cudaMemset, checked against the tracked allocations.
#include <cstring>

#include "device.h"
#include "errors.h"
#include "fault_injection.h"
#include "memory.h"

namespace cuda_on_cpu::detail {
namespace {

bool on_device(Location where) { return where == Location::Device; }
bool on_host(Location where) { return where == Location::Host || where == Location::Pinned; }

// Whether a copy of `kind` may run between these locations. cudaMemcpyDefault follows the
// pointers, as with unified addressing.
bool kind_fits(cudaMemcpyKind kind, Location dst, Location src) {
    switch (kind) {
        case cudaMemcpyHostToHost: return on_host(dst) && on_host(src);
        case cudaMemcpyHostToDevice: return on_device(dst) && on_host(src);
        case cudaMemcpyDeviceToHost: return on_host(dst) && on_device(src);
        case cudaMemcpyDeviceToDevice: return on_device(dst) && on_device(src);
        case cudaMemcpyDefault: return dst != Location::Overrun && src != Location::Overrun;
    }
    return false;
}

cudaError_t copy(void* dst, const void* src, size_t count, cudaMemcpyKind kind,
                 cudaStream_t stream) {
    if (kind < cudaMemcpyHostToHost || kind > cudaMemcpyDefault) {
        return record(cudaErrorInvalidMemcpyDirection);
    }
    if (!valid_stream(stream)) return record(cudaErrorInvalidResourceHandle);
    if (count == 0) return cudaSuccess;
    if (dst == nullptr || src == nullptr) return record(cudaErrorInvalidValue);
    if (!kind_fits(kind, locate(dst, count), locate(src, count))) {
        return record(cudaErrorInvalidValue);
    }
    if (injected_failure_due(testing::Call::Copy)) return record(cudaErrorInvalidValue);
    std::lock_guard<std::mutex> lock(device_mutex());
    std::memmove(dst, src, count);
    return cudaSuccess;
}

cudaError_t set(void* dst, int value, size_t count, cudaStream_t stream) {
    if (!valid_stream(stream)) return record(cudaErrorInvalidResourceHandle);
    if (count == 0) return cudaSuccess;
    if (dst == nullptr || locate(dst, count) != Location::Device) {
        return record(cudaErrorInvalidValue);
    }
    if (injected_failure_due(testing::Call::Copy)) return record(cudaErrorInvalidValue);
    std::lock_guard<std::mutex> lock(device_mutex());
    std::memset(dst, value, count);
    return cudaSuccess;
}

}  // namespace
}  // namespace cuda_on_cpu::detail

// Every operation completes before it returns, so the asynchronous forms are the synchronous
// ones on the given stream.
cudaError_t cudaMemcpy(void* dst, const void* src, size_t count, cudaMemcpyKind kind) {
    return cuda_on_cpu::detail::copy(dst, src, count, kind, 0);
}
cudaError_t cudaMemcpyAsync(void* dst, const void* src, size_t count, cudaMemcpyKind kind,
                            cudaStream_t stream) {
    return cuda_on_cpu::detail::copy(dst, src, count, kind, stream);
}
cudaError_t cudaMemset(void* devPtr, int value, size_t count) {
    return cuda_on_cpu::detail::set(devPtr, value, count, 0);
}
cudaError_t cudaMemsetAsync(void* devPtr, int value, size_t count, cudaStream_t stream) {
    return cuda_on_cpu::detail::set(devPtr, value, count, stream);
}
