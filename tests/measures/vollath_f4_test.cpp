// The three memory-efficient Vollath F4 variants on worked examples, degenerate sizes and host
// team sizes; the variants against the formula over many sizes are in window_measures_test.cpp.

#include <cuda_runtime.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "all_measure_test_facts.h"
#include "measures.h"
#include "test_images.h"

namespace {

constexpr int kHostThreads = 10;

class VollathF4 : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(cudaStreamCreate(&stream_), cudaSuccess); }
    void TearDown() override { EXPECT_EQ(cudaStreamDestroy(stream_), cudaSuccess); }

    double uchar(const std::vector<unsigned char>& bytes, ImageSize size,
                 int host_threads = kHostThreads) {
        return funcion_VollathF4_MemEficient_GPU_uchar(bytes.data(), size.width, size.height,
                                                       host_threads);
    }
    double uchar_stream(const std::vector<unsigned char>& bytes, ImageSize size) {
        return funcion_VollathF4_MemEficient_GPU_uchar_Stream(bytes.data(), size.width, size.height,
                                                              kHostThreads, stream_);
    }
    double doubles(const std::vector<double>& values, ImageSize size) {
        return funcion_VollathF4_MemEficient_GPU(as_bytes(values), size.width, size.height,
                                                 kHostThreads);
    }

    cudaStream_t stream_ = nullptr;
};

TEST_F(VollathF4, WorkedExamplesAreExact) {
    struct Example {
        ImageSize size;
        std::vector<unsigned char> bytes;
        double f4;
    };
    const std::vector<Example> examples = {
        {{37, 29}, std::vector<unsigned char>(37 * 29, 255), 37.0},  // every product is 1: F4 = W
        {{1100, 3}, std::vector<unsigned char>(1100 * 3, 255), 1100.0},
        {{37, 29}, std::vector<unsigned char>(37 * 29, 0), 0.0},
        {{1, 3}, {255, 0, 255}, -1.0},            // S1 = 0, S2 = 1: the measure can be negative
        {{2, 3}, {0, 255, 255, 255, 0, 0}, 1.0},  // S1 = 1, S2 = 0
    };
    for (const Example& example : examples) {
        SCOPED_TRACE(testing::Message() << example.size.width << " x " << example.size.height);
        EXPECT_EQ(uchar(example.bytes, example.size), example.f4);
        EXPECT_EQ(uchar_stream(example.bytes, example.size), example.f4);
    }
}

TEST_F(VollathF4, ImagesWithoutARowPairGiveZeroAndTooLargeOnesNaN) {
    for (const ImageSize size :
         {ImageSize{5, 1}, ImageSize{5, 0}, ImageSize{0, 5}, ImageSize{-3, 4}, ImageSize{4, -3}}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const std::vector<unsigned char> no_pixels;
        EXPECT_EQ(uchar(no_pixels, size), 0.0);
        EXPECT_EQ(uchar_stream(no_pixels, size), 0.0);
        EXPECT_EQ(doubles({}, size), 0.0);
    }
    const std::vector<unsigned char> one_pixel(1);
    EXPECT_TRUE(std::isnan(uchar(one_pixel, {65536, 32768})));
    EXPECT_TRUE(std::isnan(doubles({0.0}, {65536, 32768})));
    expect_nothing_allocated();
}

// Team sizes beyond the number of partial sums (2 blocks for 40 x 30) and of columns (40), and
// counts below 1, which run on one thread.
TEST_F(VollathF4, HostTeamSizeChangesOnlyRounding) {
    for (const ImageSize size : {ImageSize{40, 30}, ImageSize{300, 200}}) {
        const std::vector<unsigned char> bytes = random_bytes(size, 11);
        const ReferenceValue expected = bestfocus::test_facts::vollath_f4::reference(
            normalised(bytes), size.width, size.height);
        for (const int host_threads : {1, 3, 10, 64, 0, -2}) {
            SCOPED_TRACE(testing::Message() << size.width << " x " << size.height << ", "
                                            << host_threads << " host threads");
            EXPECT_NEAR(uchar(bytes, size, host_threads), expected.value, tolerance(expected));
        }
    }
}

}  // namespace
