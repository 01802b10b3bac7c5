#include "runtime_check.h"

namespace bestfocus {

namespace {

thread_local MeasureFailure failure_of_this_thread;

bool note(const MeasureFailure& failure) {
    if (failure_of_this_thread.call == nullptr) {
        failure_of_this_thread = failure;
    }
    return false;
}

}  // namespace

MeasureFailure last_measure_failure() { return failure_of_this_thread; }

void start_measure_call() { failure_of_this_thread = MeasureFailure(); }

bool ok(cudaError_t status, const char* call) {
    return status == cudaSuccess ||
           note({call, nullptr, cudaGetErrorName(status), cudaGetErrorString(status)});
}

bool launched(cudaError_t status, const char* kernel) {
    return status == cudaSuccess || note({"cudaLaunchKernelEx", kernel, cudaGetErrorName(status),
                                          cudaGetErrorString(status)});
}

bool host_allocation_failed() { return note({"malloc", nullptr, "ENOMEM", "out of memory"}); }

bool measure_call_failed() { return failure_of_this_thread.call != nullptr; }

}  // namespace bestfocus
