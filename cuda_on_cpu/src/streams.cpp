// Streams and synchronisation. Every device operation completes before its call returns, so a
// stream needs no queue: issue order is execution order, and synchronising only checks the handle.
#include <mutex>
#include <set>

#include "device.h"
#include "errors.h"
#include "fault_injection.h"

struct CUstream_st {
    int unused;
};

namespace cuda_on_cpu::detail {
namespace {

struct StreamRegistry {
    std::mutex mutex;
    std::set<cudaStream_t> created;
};

// Never destroyed: other threads may still use streams while the process exits.
StreamRegistry& registry() {
    static StreamRegistry* instance = new StreamRegistry;
    return *instance;
}

}  // namespace

std::mutex& device_mutex() {
    static std::mutex* instance = new std::mutex;
    return *instance;
}

bool valid_stream(cudaStream_t stream) {
    if (stream == nullptr || stream == cudaStreamLegacy || stream == cudaStreamPerThread) {
        return true;
    }
    StreamRegistry& streams = registry();
    std::lock_guard<std::mutex> lock(streams.mutex);
    return streams.created.count(stream) != 0;
}

}  // namespace cuda_on_cpu::detail

using namespace cuda_on_cpu::detail;

cudaError_t cudaStreamCreate(cudaStream_t* pStream) {
    if (pStream == nullptr) return record(cudaErrorInvalidValue);
    auto* stream = new CUstream_st{};
    StreamRegistry& streams = registry();
    std::lock_guard<std::mutex> lock(streams.mutex);
    streams.created.insert(stream);
    *pStream = stream;
    return cudaSuccess;
}

cudaError_t cudaStreamDestroy(cudaStream_t stream) {
    StreamRegistry& streams = registry();
    std::lock_guard<std::mutex> lock(streams.mutex);
    if (streams.created.erase(stream) == 0) return record(cudaErrorInvalidResourceHandle);
    delete stream;
    return cudaSuccess;
}

// A stream's own work has completed when its calls returned.
cudaError_t cudaStreamSynchronize(cudaStream_t stream) {
    if (!valid_stream(stream)) return record(cudaErrorInvalidResourceHandle);
    if (injected_failure_due(cuda_on_cpu::testing::Call::Synchronize)) {
        return record(cudaErrorLaunchFailure);
    }
    return cudaSuccess;
}

// Waits for an operation that another host thread has under way.
cudaError_t cudaDeviceSynchronize() {
    if (injected_failure_due(cuda_on_cpu::testing::Call::Synchronize)) {
        return record(cudaErrorLaunchFailure);
    }
    std::lock_guard<std::mutex> lock(device_mutex());
    return cudaSuccess;
}
