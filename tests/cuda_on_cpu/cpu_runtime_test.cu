// What the CPU runtime promises beyond a GPU: misuse is refused or reported instead of corrupting
// memory or hanging, allocations are accounted, and tests can inject failures.
#include <cuda_on_cpu/testing.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "test_kernels.h"

namespace {

using cuda_on_cpu::testing::Call;
using cuda_on_cpu::testing::live_allocations;

class CpuRuntime : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto live = live_allocations();
        live_device_ = live.device_count;
        live_pinned_ = live.pinned_count;
    }
    void TearDown() override {
        cuda_on_cpu::testing::clear_injected_failure();
        cudaGetLastError();
        EXPECT_EQ(live_allocations().device_count, live_device_);
        EXPECT_EQ(live_allocations().pinned_count, live_pinned_);
    }

  private:
    size_t live_device_ = 0, live_pinned_ = 0;
    BlockThreadsOnFibers fibers_;  // most kernels here reach barriers
};

TEST_F(CpuRuntime, ThreadsThatDoNotAllReachABarrierFailTheLaunch) {
    int* d_out = nullptr;
    ASSERT_EQ(cudaMalloc(&d_out, 1024 * sizeof(int)), cudaSuccess);
    // The first thread, one in the middle and the last one leave before the barrier.
    for (unsigned leaver : {0u, 5u, 1023u}) {
        const cudaLaunchConfig_t config = launch_config(3, 1024);
        EXPECT_EQ(cudaLaunchKernelEx(&config, leave_before_barrier, d_out, leaver),
                  cudaErrorLaunchFailure)
            << "leaver " << leaver;
        EXPECT_EQ(cudaGetLastError(), cudaErrorLaunchFailure);
    }
    // A correct launch afterwards runs normally.
    const cudaLaunchConfig_t config = launch_config(1, 1024);
    EXPECT_EQ(cudaLaunchKernelEx(&config, leave_before_barrier, d_out, 1024u), cudaSuccess);
    std::vector<int> out(1024);
    cudaMemcpy(out.data(), d_out, 1024 * sizeof(int), cudaMemcpyDeviceToHost);
    EXPECT_EQ(out, std::vector<int>(1024, 1));
    cudaFree(d_out);
}

// One block; each thread records when it ran and whether it was told it runs in order.
__global__ void record_order(unsigned* order, int* in_order, unsigned* clock) {
    const unsigned t = threadIdx.y * blockDim.x + threadIdx.x;
    order[t] = (*clock)++;
    in_order[t] = cuda_on_cpu::block_threads_run_in_order();
}

class BlockThreadsInOrder : public CpuRuntime {
  protected:
    void SetUp() override {
        CpuRuntime::SetUp();
        cuda_on_cpu::set_block_threads(cuda_on_cpu::BlockThreads::InOrder);
    }
};

TEST_F(BlockThreadsInOrder, ThreadsRunOneAfterAnotherAndBarriersFailTheLaunch) {
    const unsigned threads = 32 * 32;
    unsigned *d_order = nullptr, *d_clock = nullptr;
    int* d_in_order = nullptr;
    ASSERT_EQ(cudaMalloc(&d_order, threads * sizeof(unsigned)), cudaSuccess);
    ASSERT_EQ(cudaMalloc(&d_in_order, threads * sizeof(int)), cudaSuccess);
    ASSERT_EQ(cudaMalloc(&d_clock, sizeof(unsigned)), cudaSuccess);
    ASSERT_EQ(cudaMemset(d_clock, 0, sizeof(unsigned)), cudaSuccess);
    const cudaLaunchConfig_t config = launch_config(1, dim3(32, 32));
    ASSERT_EQ(cudaLaunchKernelEx(&config, record_order, d_order, d_in_order, d_clock), cudaSuccess);
    std::vector<unsigned> order(threads);
    std::vector<int> in_order(threads);
    cudaMemcpy(order.data(), d_order, threads * sizeof(unsigned), cudaMemcpyDeviceToHost);
    cudaMemcpy(in_order.data(), d_in_order, threads * sizeof(int), cudaMemcpyDeviceToHost);
    for (unsigned t = 0; t < threads; ++t) {
        ASSERT_EQ(order[t], t);
        ASSERT_EQ(in_order[t], 1);
    }
    // The tree reduction reaches barriers: refused, never a silently wrong sum.
    const cudaLaunchConfig_t reduction = launch_config(2, 1024, 1024 * sizeof(double));
    double* d_values = nullptr;
    ASSERT_EQ(cudaMalloc(&d_values, 2048 * sizeof(double)), cudaSuccess);
    EXPECT_EQ(cudaLaunchKernelEx(&reduction, block_sums, d_values, d_values, 2048),
              cudaErrorLaunchFailure);
    cudaFree(d_values);
    cudaFree(d_order);
    cudaFree(d_in_order);
    cudaFree(d_clock);
}

TEST_F(CpuRuntime, FibersDoNotClaimToRunInOrder) {
    ASSERT_EQ(cuda_on_cpu::block_threads(), cuda_on_cpu::BlockThreads::Fibers);
    int* d_flags = nullptr;
    ASSERT_EQ(cudaMalloc(&d_flags, 1024 * sizeof(int)), cudaSuccess);
    // Thread 0 of a block whose threads end without barriers runs on a fiber; the rest may not.
    const cudaLaunchConfig_t config = launch_config(1, 1024);
    unsigned* d_scratch = nullptr;
    ASSERT_EQ(cudaMalloc(&d_scratch, 1025 * sizeof(unsigned)), cudaSuccess);
    ASSERT_EQ(cudaMemset(d_scratch, 0, 1025 * sizeof(unsigned)), cudaSuccess);
    ASSERT_EQ(cudaLaunchKernelEx(&config, record_order, d_scratch + 1, d_flags, d_scratch),
              cudaSuccess);
    int first = -1;
    cudaMemcpy(&first, d_flags, sizeof first, cudaMemcpyDeviceToHost);
    EXPECT_EQ(first, 0);
    cudaFree(d_flags);
    cudaFree(d_scratch);
}

TEST_F(CpuRuntime, TooMuchDynamicSharedMemoryIsRefused) {
    double* d_sums = nullptr;
    ASSERT_EQ(cudaMalloc(&d_sums, sizeof(double)), cudaSuccess);
    ASSERT_EQ(cudaMemset(d_sums, 0, sizeof(double)), cudaSuccess);
    const cudaLaunchConfig_t config = launch_config(1, 1024, 64 << 10);
    EXPECT_EQ(cudaLaunchKernelEx(&config, block_sums, d_sums, d_sums, 0),
              cudaErrorInvalidConfiguration);
    double sum = -1.0;
    cudaMemcpy(&sum, d_sums, sizeof(double), cudaMemcpyDeviceToHost);
    EXPECT_EQ(sum, 0.0);
    cudaFree(d_sums);
}

TEST_F(CpuRuntime, CopiesWithAWrongKindOrPastTheEndCopyNothing) {
    std::vector<unsigned char> host(4096, 7);
    unsigned char *d_a = nullptr, *h_pinned = nullptr;
    ASSERT_EQ(cudaMalloc(&d_a, 1000), cudaSuccess);
    ASSERT_EQ(cudaMallocHost(&h_pinned, 1000), cudaSuccess);
    ASSERT_EQ(cudaMemset(d_a, 1, 1000), cudaSuccess);

    EXPECT_EQ(cudaMemcpy(d_a, host.data(), 1001, cudaMemcpyHostToDevice), cudaErrorInvalidValue);
    EXPECT_EQ(cudaMemcpy(d_a + 500, host.data(), 501, cudaMemcpyHostToDevice),
              cudaErrorInvalidValue);
    EXPECT_EQ(cudaMemcpy(d_a, host.data(), 10, cudaMemcpyDeviceToHost), cudaErrorInvalidValue);
    EXPECT_EQ(cudaMemcpy(d_a, host.data(), 10, cudaMemcpyHostToHost), cudaErrorInvalidValue);
    EXPECT_EQ(cudaMemcpy(host.data(), d_a, 10, cudaMemcpyHostToDevice), cudaErrorInvalidValue);
    EXPECT_EQ(cudaMemcpy(h_pinned, host.data(), 1001, cudaMemcpyHostToHost), cudaErrorInvalidValue);
    EXPECT_EQ(cudaMemcpy(d_a, nullptr, 10, cudaMemcpyHostToDevice), cudaErrorInvalidValue);
    EXPECT_EQ(cudaMemcpy(d_a, host.data(), 10, static_cast<cudaMemcpyKind>(9)),
              cudaErrorInvalidMemcpyDirection);
    EXPECT_EQ(cudaMemset(d_a + 1, 0, 1000), cudaErrorInvalidValue);
    EXPECT_EQ(cudaMemset(host.data(), 0, 10), cudaErrorInvalidValue);
    EXPECT_EQ(cudaGetLastError(), cudaErrorInvalidValue);

    std::vector<unsigned char> back(1000);
    ASSERT_EQ(cudaMemcpy(back.data(), d_a, 1000, cudaMemcpyDefault), cudaSuccess);
    EXPECT_EQ(back, std::vector<unsigned char>(1000, 1));
    EXPECT_EQ(host, std::vector<unsigned char>(4096, 7));

    // Every valid direction, including pinned memory on either side and the default kind.
    unsigned char* d_b = nullptr;
    ASSERT_EQ(cudaMalloc(&d_b, 1000), cudaSuccess);
    EXPECT_EQ(cudaMemcpy(h_pinned, host.data(), 1000, cudaMemcpyHostToHost), cudaSuccess);
    EXPECT_EQ(cudaMemcpy(d_a, h_pinned, 1000, cudaMemcpyHostToDevice), cudaSuccess);
    EXPECT_EQ(cudaMemcpy(d_b, d_a, 1000, cudaMemcpyDeviceToDevice), cudaSuccess);
    EXPECT_EQ(cudaMemcpy(back.data(), d_b, 1000, cudaMemcpyDeviceToHost), cudaSuccess);
    EXPECT_EQ(back, std::vector<unsigned char>(1000, 7));
    cudaFree(d_a);
    cudaFree(d_b);
    cudaFreeHost(h_pinned);
}

TEST_F(CpuRuntime, FreeingChecksItsPointer) {
    EXPECT_EQ(cudaFree(nullptr), cudaSuccess);
    EXPECT_EQ(cudaFreeHost(nullptr), cudaSuccess);
    void *d = nullptr, *h = nullptr;
    ASSERT_EQ(cudaMalloc(&d, 64), cudaSuccess);
    ASSERT_EQ(cudaMallocHost(&h, 64), cudaSuccess);
    EXPECT_EQ(cudaFreeHost(d), cudaErrorInvalidValue);
    EXPECT_EQ(cudaFree(h), cudaErrorInvalidValue);
    EXPECT_EQ(cudaFree(static_cast<char*>(d) + 8), cudaErrorInvalidValue);
    EXPECT_EQ(cudaFree(d), cudaSuccess);
    EXPECT_EQ(cudaFree(d), cudaErrorInvalidValue);
    EXPECT_EQ(cudaFreeHost(h), cudaSuccess);
}

TEST_F(CpuRuntime, AllocationsAreAlignedCountedAndReused) {
    const auto before = live_allocations();
    void *d = nullptr, *h = nullptr;
    ASSERT_EQ(cudaMalloc(&d, 32 << 20), cudaSuccess);
    ASSERT_EQ(cudaMallocHost(&h, 1000), cudaSuccess);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(d) % 256, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(h) % 256, 0u);
    const auto during = live_allocations();
    EXPECT_EQ(during.device_count, before.device_count + 1);
    EXPECT_EQ(during.device_bytes, before.device_bytes + (32 << 20));
    EXPECT_EQ(during.pinned_count, before.pinned_count + 1);
    EXPECT_EQ(during.pinned_bytes, before.pinned_bytes + 1000);
    ASSERT_EQ(cudaFree(d), cudaSuccess);
    // Freed memory stays mapped and comes back for a request of the same size (except under
    // memcheck, which never reuses a block, so that reads after a free are caught).
    void* again = nullptr;
    ASSERT_EQ(cudaMalloc(&again, 32 << 20), cudaSuccess);
    if (!cuda_on_cpu::testing::memcheck_enabled()) {
        EXPECT_EQ(again, d);
    }
    cudaFree(again);
    cudaFreeHost(h);
    EXPECT_EQ(live_allocations().device_bytes, before.device_bytes);
}

TEST_F(CpuRuntime, InjectedFailuresHitExactlyTheChosenCall) {
    void* first = nullptr;
    void* second = reinterpret_cast<void*>(1);
    void* third = nullptr;
    cuda_on_cpu::testing::inject_failure(Call::Allocation, 2);
    EXPECT_EQ(cudaMalloc(&first, 8), cudaSuccess);
    EXPECT_FALSE(cuda_on_cpu::testing::injected_failure_fired());
    EXPECT_EQ(cudaMallocHost(&second, 8), cudaErrorMemoryAllocation);
    EXPECT_EQ(second, nullptr);
    EXPECT_TRUE(cuda_on_cpu::testing::injected_failure_fired());
    EXPECT_EQ(cudaMalloc(&third, 8), cudaSuccess);

    double* d_values = static_cast<double*>(first);
    ASSERT_EQ(cudaMemset(d_values, 0, sizeof(double)), cudaSuccess);
    cuda_on_cpu::testing::inject_failure(Call::Launch, 1);
    const double one = 1.0;
    EXPECT_EQ(cudaMemcpy(d_values, &one, sizeof one, cudaMemcpyHostToDevice), cudaSuccess);
    const cudaLaunchConfig_t config = launch_config(1, 32);
    EXPECT_EQ(cudaLaunchKernelEx(&config, scale_add, d_values, 2.0, 1.0, 1),
              cudaErrorLaunchFailure);
    double value = 0.0;
    cudaMemcpy(&value, d_values, sizeof value, cudaMemcpyDeviceToHost);
    EXPECT_EQ(value, 1.0);  // the failed launch ran nothing

    cuda_on_cpu::testing::inject_failure(Call::Any, 2);
    EXPECT_EQ(cudaMemcpy(d_values, &one, sizeof one, cudaMemcpyHostToDevice), cudaSuccess);
    EXPECT_EQ(cudaStreamSynchronize(0), cudaErrorLaunchFailure);
    cuda_on_cpu::testing::inject_failure(Call::Copy, 1);
    EXPECT_EQ(cudaMemset(d_values, 0, sizeof(double)), cudaErrorInvalidValue);
    cudaFree(first);
    cudaFree(third);
}

TEST_F(CpuRuntime, LastErrorIsKeptPerHostThread) {
    EXPECT_EQ(cudaMalloc(static_cast<void**>(nullptr), 8), cudaErrorInvalidValue);
    std::thread other([] { EXPECT_EQ(cudaPeekAtLastError(), cudaSuccess); });
    other.join();
    EXPECT_EQ(cudaPeekAtLastError(), cudaErrorInvalidValue);
    EXPECT_EQ(cudaGetLastError(), cudaErrorInvalidValue);
    EXPECT_EQ(cudaGetLastError(), cudaSuccess);
}

TEST_F(CpuRuntime, StreamHandlesAreChecked) {
    cudaStream_t stream = nullptr;
    ASSERT_EQ(cudaStreamCreate(&stream), cudaSuccess);
    EXPECT_EQ(cudaStreamSynchronize(stream), cudaSuccess);
    ASSERT_EQ(cudaStreamDestroy(stream), cudaSuccess);
    EXPECT_EQ(cudaStreamDestroy(stream), cudaErrorInvalidResourceHandle);
    EXPECT_EQ(cudaStreamSynchronize(stream), cudaErrorInvalidResourceHandle);
    int count = 0;
    EXPECT_EQ(cudaGetDeviceCount(&count), cudaSuccess);
    EXPECT_EQ(count, 1);
}

}  // namespace
