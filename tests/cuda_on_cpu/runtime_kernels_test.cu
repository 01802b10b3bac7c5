// Kernels launched through the runtime give what plain loops give, on a GPU and on the CPU.
#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "test_kernels.h"

namespace {

#ifndef __CUDACC__
// These kernels synchronise with barriers and have no in-order path.
const BlockThreadsOnFibers fibers_for_every_test;
#endif

std::vector<double> random_integers(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> value(-1000, 1000);
    std::vector<double> v(n);
    for (double& x : v) x = value(rng);
    return v;
}

// Sums of each block of `block` consecutive elements, by a plain loop. Integer values keep every
// partial sum exact, so the tree order cannot change the result.
std::vector<double> reference_block_sums(const std::vector<double>& v, int block) {
    std::vector<double> sums((v.size() + block - 1) / block, 0.0);
    for (size_t i = 0; i < v.size(); ++i) sums[i / block] += v[i];
    return sums;
}

// Runs block_sums on the device; returns the per-block sums.
std::vector<double> device_block_sums(const std::vector<double>& in, unsigned block,
                                      cudaStream_t stream = 0) {
    const int n = static_cast<int>(in.size());
    const unsigned blocks = (n + block - 1) / block;
    double *d_in = nullptr, *d_sums = nullptr;
    std::vector<double> sums(blocks, -1.0);
    EXPECT_EQ(cudaMalloc(&d_in, n * sizeof(double)), cudaSuccess);
    EXPECT_EQ(cudaMalloc(&d_sums, blocks * sizeof(double)), cudaSuccess);
    EXPECT_EQ(cudaMemcpyAsync(d_in, in.data(), n * sizeof(double), cudaMemcpyHostToDevice, stream),
              cudaSuccess);
    const cudaLaunchConfig_t config = launch_config(blocks, block, block * sizeof(double), stream);
    EXPECT_EQ(cudaLaunchKernelEx(&config, block_sums, d_sums, d_in, n), cudaSuccess);
    EXPECT_EQ(cudaMemcpyAsync(sums.data(), d_sums, blocks * sizeof(double), cudaMemcpyDeviceToHost,
                              stream),
              cudaSuccess);
    EXPECT_EQ(cudaStreamSynchronize(stream), cudaSuccess);
    cudaFree(d_in);
    cudaFree(d_sums);
    return sums;
}

TEST(Kernels, BlockTreeReductionGivesExactSumsWithPartialLastBlock) {
    SKIP_WITHOUT_DEVICE();
    for (int n : {1, 1024, 1025, 37 * 1024 + 123}) {
        const std::vector<double> in = random_integers(n, n);
        EXPECT_EQ(device_block_sums(in, 1024), reference_block_sums(in, 1024)) << "n = " << n;
    }
    const std::vector<double> in = random_integers(5000, 7);
    EXPECT_EQ(device_block_sums(in, 64), reference_block_sums(in, 64));
}

TEST(Kernels, ElementWiseKernelCoversSizesThatAreNotMultiplesOfTheBlock) {
    SKIP_WITHOUT_DEVICE();
    for (int n : {1, 1000, 1025, 100003}) {
        for (unsigned block : {256u, 1024u}) {
            const std::vector<double> in = random_integers(n, n + block);
            double *d_in = nullptr, *d_out = nullptr;
            ASSERT_EQ(cudaMalloc(&d_in, n * sizeof(double)), cudaSuccess);
            ASSERT_EQ(cudaMalloc(&d_out, n * sizeof(double)), cudaSuccess);
            cudaMemcpy(d_in, in.data(), n * sizeof(double), cudaMemcpyHostToDevice);
            const cudaLaunchConfig_t config = launch_config((n + block - 1) / block, block);
            ASSERT_EQ(cudaLaunchKernelEx(&config, twice_plus_one, d_out, d_in, n), cudaSuccess);
            std::vector<double> out(n);
            cudaMemcpy(out.data(), d_out, n * sizeof(double), cudaMemcpyDeviceToHost);
            for (int i = 0; i < n; ++i) ASSERT_EQ(out[i], 2.0 * in[i] + 1.0) << n << " " << i;
            cudaFree(d_in);
            cudaFree(d_out);
        }
    }
}

TEST(Kernels, TwoDimensionalBlocksSeeTheirIndices) {
    SKIP_WITHOUT_DEVICE();
    const int width = 70, height = 45;
    const size_t bytes = 8 * sizeof(unsigned) * width * height;
    unsigned* d_out = nullptr;
    ASSERT_EQ(cudaMalloc(&d_out, bytes), cudaSuccess);
    const cudaLaunchConfig_t config = launch_config(dim3(3, 2), dim3(32, 32));
    ASSERT_EQ(cudaLaunchKernelEx(&config, record_indices, d_out, width, height), cudaSuccess);
    std::vector<unsigned> out(bytes / sizeof(unsigned));
    ASSERT_EQ(cudaMemcpy(out.data(), d_out, bytes, cudaMemcpyDeviceToHost), cudaSuccess);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned* cell = &out[8 * (y * width + x)];
            const std::vector<unsigned> expected = {unsigned(x % 32),
                                                    unsigned(y % 32),
                                                    unsigned(x / 32),
                                                    unsigned(y / 32),
                                                    32,
                                                    32,
                                                    3,
                                                    2};
            ASSERT_EQ(std::vector<unsigned>(cell, cell + 8), expected) << x << "," << y;
        }
    }
    cudaFree(d_out);
}

TEST(Kernels, RefusedLaunchesRunNothing) {
    SKIP_WITHOUT_DEVICE();
    const int n = 2048;
    const std::vector<double> in = random_integers(n, 3);
    double *d_in = nullptr, *d_out = nullptr;
    ASSERT_EQ(cudaMalloc(&d_in, n * sizeof(double)), cudaSuccess);
    ASSERT_EQ(cudaMalloc(&d_out, n * sizeof(double)), cudaSuccess);
    cudaMemcpy(d_in, in.data(), n * sizeof(double), cudaMemcpyHostToDevice);
    ASSERT_EQ(cudaMemset(d_out, 0, n * sizeof(double)), cudaSuccess);

    for (const cudaLaunchConfig_t& config :
         {launch_config(dim3(0), 1024), launch_config(dim3(2, 0), 1024), launch_config(2, 1025),
          launch_config(2, dim3(32, 33))}) {
        EXPECT_EQ(cudaLaunchKernelEx(&config, twice_plus_one, d_out, d_in, n),
                  cudaErrorInvalidConfiguration);
        EXPECT_EQ(cudaGetLastError(), cudaErrorInvalidConfiguration);
    }
    EXPECT_EQ(cudaGetLastError(), cudaSuccess);  // reading the error cleared it
    std::vector<double> out(n, -1.0);
    cudaMemcpy(out.data(), d_out, n * sizeof(double), cudaMemcpyDeviceToHost);
    EXPECT_EQ(out, std::vector<double>(n, 0.0));
    cudaFree(d_in);
    cudaFree(d_out);
}

TEST(Kernels, WorkOnAStreamRunsInIssueOrder) {
    SKIP_WITHOUT_DEVICE();
    cudaStream_t stream = nullptr;
    ASSERT_EQ(cudaStreamCreate(&stream), cudaSuccess);
    const int n = 3000;
    double* d_values = nullptr;
    ASSERT_EQ(cudaMalloc(&d_values, n * sizeof(double)), cudaSuccess);
    ASSERT_EQ(cudaMemsetAsync(d_values, 0, n * sizeof(double), stream), cudaSuccess);
    // x -> 2x + 1 -> 3x - 5 -> x + 7, in that order only: ((0*2+1)*3-5)+7 = 5.
    const cudaLaunchConfig_t config = launch_config((n + 255) / 256, 256, 0, stream);
    ASSERT_EQ(cudaLaunchKernelEx(&config, scale_add, d_values, 2.0, 1.0, n), cudaSuccess);
    ASSERT_EQ(cudaLaunchKernelEx(&config, scale_add, d_values, 3.0, -5.0, n), cudaSuccess);
    ASSERT_EQ(cudaLaunchKernelEx(&config, scale_add, d_values, 1.0, 7.0, n), cudaSuccess);
    std::vector<double> out(n);
    ASSERT_EQ(
        cudaMemcpyAsync(out.data(), d_values, n * sizeof(double), cudaMemcpyDeviceToHost, stream),
        cudaSuccess);
    ASSERT_EQ(cudaStreamSynchronize(stream), cudaSuccess);
    EXPECT_EQ(out, std::vector<double>(n, 5.0));
    cudaFree(d_values);
    EXPECT_EQ(cudaStreamDestroy(stream), cudaSuccess);
}

TEST(Kernels, SixteenHostThreadsLaunchingAtOnceAllGetTheirOwnResults) {
    SKIP_WITHOUT_DEVICE();
    constexpr int kThreads = 16;
    std::vector<std::vector<double>> inputs, results(kThreads);
    for (int t = 0; t < kThreads; ++t)
        inputs.push_back(random_integers(5 * 1024 + 17 * t, 100 + t));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            cudaStream_t stream = nullptr;
            if (t % 2) cudaStreamCreate(&stream);  // half on the default stream, half on their own
            for (int repeat = 0; repeat < 5; ++repeat) {
                results[t] = device_block_sums(inputs[t], 1024, stream);
            }
            if (stream) cudaStreamDestroy(stream);
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(results[t], reference_block_sums(inputs[t], 1024)) << "host thread " << t;
    }
}

TEST(Errors, NamesAndValuesAreThoseOfTheRuntime) {
    EXPECT_EQ(int(cudaErrorInvalidValue), 1);
    EXPECT_EQ(int(cudaErrorMemoryAllocation), 2);
    EXPECT_EQ(int(cudaErrorInvalidConfiguration), 9);
    EXPECT_EQ(int(cudaErrorLaunchFailure), 719);
    EXPECT_STREQ(cudaGetErrorName(cudaErrorInvalidValue), "cudaErrorInvalidValue");
    EXPECT_STREQ(cudaGetErrorName(cudaErrorLaunchFailure), "cudaErrorLaunchFailure");
    EXPECT_STREQ(cudaGetErrorString(cudaErrorInvalidConfiguration),
                 "invalid configuration argument");
    EXPECT_STREQ(cudaGetErrorString(cudaErrorMemoryAllocation), "out of memory");
    EXPECT_STREQ(cudaGetErrorString(cudaSuccess), "no error");
}

}  // namespace
