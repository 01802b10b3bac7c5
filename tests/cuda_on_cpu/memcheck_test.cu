// Under memcheck (AddressSanitizer builds), the device-memory bugs that a GPU's memcheck reports
// are reported here too, with the kernel's stack: reading past the end of an allocation, reading
// one that was freed, and reading shared memory past what the launch asked for.
#include <cuda_on_cpu/testing.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "test_kernels.h"

namespace {

// Any grid; thread 0 of block 0 copies values[index] to *out.
__global__ void read_element(double* out, const double* values, long long index) {
    if (threadIdx.x == 0 && blockIdx.x == 0) *out = values[index];
}

// One block; shared: what the launch gives. Thread 0 copies shared double `slot` to *out.
__global__ void read_shared_slot(double* out, unsigned slot) {
    double* s = shared_array<double>();
    if (threadIdx.x == 0) *out = s[slot];
}

constexpr long long kElements = 1000;

// Launches read_element on a fresh allocation of kElements doubles, freed first if asked.
cudaError_t read_allocation(long long index, bool freed) {
    double *d_values = nullptr, *d_out = nullptr;
    if (cudaMalloc(&d_values, kElements * sizeof(double)) != cudaSuccess ||
        cudaMalloc(&d_out, sizeof(double)) != cudaSuccess ||
        cudaMemset(d_values, 0, kElements * sizeof(double)) != cudaSuccess) {
        return cudaErrorMemoryAllocation;
    }
    if (freed) cudaFree(d_values);
    const cudaLaunchConfig_t config = launch_config(2, 256);
    const cudaError_t status = cudaLaunchKernelEx(&config, read_element, d_out, d_values, index);
    if (!freed) cudaFree(d_values);
    cudaFree(d_out);
    return status;
}

// Launches read_shared_slot with 1024 doubles of shared memory.
cudaError_t read_shared(unsigned slot) {
    double* d_out = nullptr;
    if (cudaMalloc(&d_out, sizeof(double)) != cudaSuccess) return cudaErrorMemoryAllocation;
    const cudaLaunchConfig_t config = launch_config(1, 1024, 1024 * sizeof(double));
    const cudaError_t status = cudaLaunchKernelEx(&config, read_shared_slot, d_out, slot);
    cudaFree(d_out);
    return status;
}

struct BadRead {
    const char* name;
    cudaError_t (*read)();
    const char* report;  // what AddressSanitizer says
};

const BadRead kBadReads[] = {
    {"OneDoublePastTheEnd", [] { return read_allocation(kElements, false); },
     "AddressSanitizer: heap-buffer-overflow"},
    {"AfterFree", [] { return read_allocation(0, true); }, "AddressSanitizer: heap-use-after-free"},
    {"SharedMemoryPastTheLaunchSize", [] { return read_shared(1024); },
     "AddressSanitizer: use-after-poison"},
};

// Names the case in test output.
void PrintTo(const BadRead& bad_read, std::ostream* out) { *out << bad_read.name; }

class Memcheck : public ::testing::TestWithParam<BadRead> {
  protected:
    void SetUp() override {
#if !defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "memcheck reports need the AddressSanitizer build";
#endif
        if (!cuda_on_cpu::testing::memcheck_enabled()) GTEST_SKIP() << "CUDA_ON_CPU_MEMCHECK=0";
        // The runtime's worker threads exist by now: the child re-runs this test from the start.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

TEST_P(Memcheck, TheLastValidElementReadsCleanlyOneFurtherIsReported) {
    ASSERT_EQ(read_allocation(kElements - 1, false), cudaSuccess);
    ASSERT_EQ(read_shared(1023), cudaSuccess);
    EXPECT_DEATH(GetParam().read(), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(BadReads, Memcheck, ::testing::ValuesIn(kBadReads),
                         [](const ::testing::TestParamInfo<BadRead>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
