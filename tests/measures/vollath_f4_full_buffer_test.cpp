// The full-buffer Vollath F4 against the formula and against the memory-efficient form.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "all_measure_test_facts.h"
#include "measures.h"
#include "test_images.h"

namespace {

constexpr int kHostThreads = 10;

double full_buffer(const std::vector<double>& values, ImageSize size,
                   int host_threads = kHostThreads) {
    return funcion_VollathF4_GPU(as_bytes(values), size.width, size.height, host_threads);
}

// Sizes around the 1024-element blocks of the shifts and products and the 2048 elements a
// summation block consumes, with both one-row and two-row counts (N1 = (H - 1) W, N2 = (H - 2) W).
std::vector<ImageSize> sizes_to_cover() {
    std::vector<ImageSize> sizes = {
        {1, 2},    {1, 3},     {7, 2},      {2500, 2},  // N2 = 0: one-row pairs only
        {1, 1025}, {1, 1026},                           // N1 = 1024, 1025; N2 = 1023, 1024
        {1, 2049}, {1, 2050},  {1, 2051},               // N1 and N2 on both sides of 2048
        {1023, 4}, {1025, 3},  {2049, 3},   {3000, 5},  // last row over several blocks
        {64, 34},  {100, 100}, {1388, 1040}};
    std::mt19937 generator(17);
    std::uniform_int_distribution<int> side(1, 100);
    for (int i = 0; i < 10; ++i) {
        sizes.push_back({side(generator), 2 + side(generator)});
    }
    return sizes;
}

TEST(VollathF4FullBuffer, MatchesTheFormulaAndTheMemoryEfficientForm) {
    unsigned seed = 1;
    for (const ImageSize size : sizes_to_cover()) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const std::vector<double> values = random_doubles(size, ++seed);
        const ReferenceValue expected =
            bestfocus::test_facts::vollath_f4::reference(values, size.width, size.height);
        const double value = full_buffer(values, size);

        EXPECT_NEAR(value, expected.value, tolerance(expected));
        EXPECT_NEAR(value,
                    funcion_VollathF4_MemEficient_GPU(as_bytes(values), size.width, size.height,
                                                      kHostThreads),
                    tolerance(expected));
        expect_nothing_allocated();
    }
}

TEST(VollathF4FullBuffer, ConstantImageGivesWidthTimesSquare) {
    for (const ImageSize size : {ImageSize{37, 29}, ImageSize{1500, 2}, ImageSize{3, 2100}}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const std::vector<double> constant(static_cast<size_t>(size.width) * size.height, 0.75);
        // Every product and partial sum is a small multiple of 0.5625: the sums are exact.
        EXPECT_EQ(full_buffer(constant, size), size.width * 0.75 * 0.75);
    }
}

// Team sizes beyond both partial-sum counts, and counts below 1, which run on one thread.
TEST(VollathF4FullBuffer, HostTeamSizeChangesOnlyRounding) {
    const ImageSize size{300, 20};
    const std::vector<double> values = random_doubles(size, 3);
    const ReferenceValue expected =
        bestfocus::test_facts::vollath_f4::reference(values, size.width, size.height);
    for (const int host_threads : {1, 3, 64, 0}) {
        SCOPED_TRACE(testing::Message() << host_threads << " host threads");
        EXPECT_NEAR(full_buffer(values, size, host_threads), expected.value, tolerance(expected));
    }
}

TEST(VollathF4FullBuffer, ImagesWithoutARowPairGiveZeroAndTooLargeOnesNaN) {
    for (const ImageSize size :
         {ImageSize{5, 1}, ImageSize{5, 0}, ImageSize{0, 5}, ImageSize{-3, 4}, ImageSize{4, -3}}) {
        EXPECT_EQ(full_buffer({}, size), 0.0) << size.width << " x " << size.height;
    }
    EXPECT_TRUE(std::isnan(full_buffer({0.0}, {65536, 32768})));
    expect_nothing_allocated();
}

}  // namespace
