// Every measure gives the same bits however it runs: whether the CPU runtime runs a block's
// threads in order (the tool's way: the last thread folds the block's tree alone) or on fibers
// through the literal barrier code, as a GPU runs it; and whether it is called alone or by many
// host threads at once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "measure_functions.h"

using namespace bestfocus;

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

TEST_P(BitIdentity, SixteenConcurrentCallersGetWhatOneCallerGets) {
    // Calls from many host threads at once, as the driver makes them, each with many partial sums
    // for many reduction threads: the reduction threads then finish in varying order, and each
    // caller must still get the bits of a call made alone (equal images, equal values).
    constexpr int kCallers = 16;
    constexpr int kHostThreads = 10;
    std::vector<TestImage> images;
    std::vector<double> alone;
    for (int c = 0; c < kCallers; ++c) {
        images.emplace_back(ImageSize{150 + 13 * c, 140 + 7 * c}, 100 + c);
        alone.push_back(measure(GetParam(), images.back(), kHostThreads, stream_));
    }
    std::vector<double> together(kCallers);
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c) {
        callers.emplace_back([&, c] {
            cudaStream_t own_stream = nullptr;
            ASSERT_EQ(cudaStreamCreate(&own_stream), cudaSuccess);
            together[c] = measure(GetParam(), images[c], kHostThreads, own_stream);
            EXPECT_EQ(cudaStreamDestroy(own_stream), cudaSuccess);
        });
    }
    for (std::thread& caller : callers) caller.join();
    for (int c = 0; c < kCallers; ++c) {
        EXPECT_TRUE(same_bits(together[c], alone[c]))
            << "caller " << c << ": " << together[c] << " together, " << alone[c] << " alone";
    }
}

INSTANTIATE_TEST_SUITE_P(AllMeasureFunctions, BitIdentity,
                         ::testing::ValuesIn(all_measure_functions()), measure_function_name);

}  // namespace
