// Every measure gives the same bits whatever order a block's threads take between barriers: its
// kernels have every barrier they need, as a GPU, which keeps no order, requires. The reference is
// the tool's own path: threads run in order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "measure_functions.h"

namespace {

using cuda_on_cpu::testing::ThreadOrder;
using Kind = ThreadOrder::Kind;

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class ThreadOrders : public ::testing::TestWithParam<MeasureFunction> {
  protected:
    void SetUp() override {
        before_ = cuda_on_cpu::testing::thread_order();
        ASSERT_EQ(cudaStreamCreate(&stream_), cudaSuccess);
    }
    void TearDown() override {
        cuda_on_cpu::testing::set_thread_order(before_);
        EXPECT_EQ(cudaStreamDestroy(stream_), cudaSuccess);
        expect_nothing_allocated();
    }

    double measure_in(ThreadOrder order, const TestImage& image) const {
        cuda_on_cpu::testing::set_thread_order(order);
        return measure(GetParam(), image, 3, stream_);
    }

  private:
    ThreadOrder before_;
    cudaStream_t stream_ = nullptr;
};

TEST_P(ThreadOrders, ReverseAndShuffledOrdersGiveTheBitsOfForwardOrder) {
    // A partial block, grids with partial last rows and columns, and a strip wider than a block.
    for (const ImageSize size : std::vector<ImageSize>{{37, 37}, {257, 131}, {1100, 5}}) {
        const TestImage image(size, size.width * 1000 + size.height);
        const double forward = measure_in({Kind::Forward, 0}, image);
        for (const ThreadOrder order :
             {ThreadOrder{Kind::Reverse, 0}, ThreadOrder{Kind::Shuffle, 1},
              ThreadOrder{Kind::Shuffle, 2}}) {
            const double value = measure_in(order, image);
            EXPECT_TRUE(same_bits(value, forward))
                << size.width << " x " << size.height << ", order " << int(order.kind) << ":"
                << order.seed << ": " << value << ", forward " << forward;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllMeasureFunctions, ThreadOrders, ::testing::ValuesIn(kMeasureFunctions),
                         [](const ::testing::TestParamInfo<MeasureFunction>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
