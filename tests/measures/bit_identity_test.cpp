// Every measure gives the same bits however it runs: whether the CPU runtime runs a block's
// threads in order (the tool's way: the last thread folds the block's tree alone) or on fibers
// through the literal barrier code, as a GPU runs it; and on every repeated call.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "measure_functions.h"

namespace {

using cuda_on_cpu::BlockThreads;

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class BitIdentity : public ::testing::TestWithParam<MeasureFunction> {
  protected:
    void SetUp() override { ASSERT_EQ(cudaStreamCreate(&stream_), cudaSuccess); }
    void TearDown() override {
        EXPECT_EQ(cudaStreamDestroy(stream_), cudaSuccess);
        expect_nothing_allocated();
    }

    double measure_with(BlockThreads how, const TestImage& image, int host_threads) const {
        const BlockThreads before = cuda_on_cpu::block_threads();
        cuda_on_cpu::set_block_threads(how);
        const double value = measure(GetParam(), image, host_threads, stream_);
        cuda_on_cpu::set_block_threads(before);
        return value;
    }

    cudaStream_t stream_ = nullptr;
};

TEST_P(BitIdentity, InOrderAndFibersGiveTheSameBits) {
    // One partial block, exactly one block, grids of many blocks with partial last rows and
    // columns, and a strip wider than a block. One host thread, so that only the block folds
    // could make the bits differ.
    for (const ImageSize size :
         std::vector<ImageSize>{{3, 3}, {36, 36}, {37, 37}, {257, 131}, {1100, 5}}) {
        const TestImage image(size, size.width * 1000 + size.height);
        const double in_order = measure_with(BlockThreads::InOrder, image, 1);
        const double on_fibers = measure_with(BlockThreads::Fibers, image, 1);
        EXPECT_TRUE(same_bits(in_order, on_fibers))
            << size.width << " x " << size.height << ": " << in_order << " in order, " << on_fibers
            << " on fibers";
        EXPECT_FALSE(std::isnan(in_order));
    }
}

TEST_P(BitIdentity, RepeatedCallsGiveTheSameBitsWithAnyTeamSize) {
    // Many partial sums shared by many reduction threads, and calls from several host threads at
    // once, as the driver makes them: the reduction threads finish in varying order, and equal
    // images must still get equal values.
    const TestImage image({700, 300}, 5);
    for (int host_threads : {3, 10}) {
        const double first = measure(GetParam(), image, host_threads, stream_);
        std::vector<std::thread> callers;
        std::vector<int> differing(4, 0);
        for (int c = 0; c < 4; ++c) {
            callers.emplace_back([&, c] {
                cudaStream_t own_stream = nullptr;
                cudaStreamCreate(&own_stream);
                for (int repeat = 0; repeat < 10; ++repeat) {
                    differing[c] +=
                        !same_bits(first, measure(GetParam(), image, host_threads, own_stream));
                }
                cudaStreamDestroy(own_stream);
            });
        }
        for (std::thread& caller : callers) caller.join();
        EXPECT_EQ(differing, std::vector<int>(4, 0)) << host_threads << " host threads";
    }
}

INSTANTIATE_TEST_SUITE_P(AllMeasureFunctions, BitIdentity, ::testing::ValuesIn(kMeasureFunctions),
                         [](const ::testing::TestParamInfo<MeasureFunction>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
