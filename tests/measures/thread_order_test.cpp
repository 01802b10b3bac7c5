// Every measure gives the same bits whatever order a block's threads take between barriers: its
// kernels have every barrier they need, as on a GPU, which keeps no order. The reference is the
// tool's own path, threads run in order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "measure_functions.h"

using namespace bestfocus;

namespace {

using cuda_on_cpu::testing::ThreadOrder;
using Kind = ThreadOrder::Kind;

class ThreadOrders : public ::testing::TestWithParam<MeasureFunction> {
  protected:
    void TearDown() override { cuda_on_cpu::testing::set_thread_order({}); }
};

TEST_P(ThreadOrders, ReverseAndShuffledOrdersGiveTheBitsOfForwardOrder) {
    // A partial block, grids with partial last rows and columns, and a strip wider than a block.
    for (const ImageSize size : std::vector<ImageSize>{{37, 37}, {257, 131}, {1100, 5}}) {
        const TestImage image(size, size.width * 1000 + size.height);
        std::vector<double> values;
        for (const ThreadOrder order :
             {ThreadOrder{Kind::Forward, 0}, ThreadOrder{Kind::Reverse, 0},
              ThreadOrder{Kind::Shuffle, 1}, ThreadOrder{Kind::Shuffle, 2}}) {
            cuda_on_cpu::testing::set_thread_order(order);
            values.push_back(measure(GetParam(), image, 3, nullptr));
            EXPECT_EQ(std::memcmp(&values.back(), &values.front(), sizeof(double)), 0)
                << size.width << " x " << size.height << ", order " << int(order.kind) << ":"
                << order.seed << ": " << values.back() << ", forward " << values.front();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllMeasureFunctions, ThreadOrders,
                         ::testing::ValuesIn(all_measure_functions()), measure_function_name);

}  // namespace
