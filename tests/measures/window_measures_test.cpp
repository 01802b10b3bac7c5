// What the measures share: every variant of every measure against the formula over many image
// sizes; and for MDCT, Tenengrad and Laplacian, images without a window and the double-input
// variant's missing normalisation.

#include "window_measures.h"

#include <cuda_runtime.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "test_images.h"

using namespace bestfocus;

namespace {

constexpr int kHostThreads = 10;

class WindowMeasureTest : public ::testing::TestWithParam<WindowMeasure> {
  protected:
    void SetUp() override { ASSERT_EQ(cudaStreamCreate(&stream_), cudaSuccess); }
    void TearDown() override { EXPECT_EQ(cudaStreamDestroy(stream_), cudaSuccess); }

    const WindowMeasure& measure() const { return GetParam(); }
    double uchar(const std::vector<unsigned char>& bytes, ImageSize size,
                 int host_threads = kHostThreads) const {
        return measure().uchar(bytes.data(), size.width, size.height, host_threads);
    }
    double uchar_stream(const std::vector<unsigned char>& bytes, ImageSize size) const {
        return measure().uchar_stream(bytes.data(), size.width, size.height, kHostThreads, stream_);
    }
    double doubles(const std::vector<double>& values, ImageSize size) const {
        return measure().doubles(as_bytes(values), size.width, size.height, kHostThreads);
    }
    ReferenceValue reference(const std::vector<double>& values, ImageSize size) const {
        return measure().reference(values, size.width, size.height);
    }

    cudaStream_t stream_ = nullptr;
};

// Sizes without a window, with one, at the edge between one 32 x 32 block of anchors and a 2 x 2
// grid (34 / 35 for the 3 x 3 measures, 36 / 37 for MDCT), wider than a block row of 1024; for
// Vollath F4 at the edges of its kernel's grid and of the host's last row pair; a camera frame,
// and random sizes up to 100 x 100.
std::vector<ImageSize> sizes_to_cover() {
    return with_random_sizes({{1, 1},
                              {2, 2},
                              {3, 3},
                              {4, 4},
                              {5, 5},
                              {3, 60},
                              {60, 3},
                              {5, 70},
                              {70, 5},
                              {34, 34},
                              {35, 35},
                              {36, 36},
                              {37, 37},
                              {34, 37},
                              {37, 34},
                              {66, 67},
                              {68, 69},
                              {100, 100},
                              {1100, 7},
                              {1388, 1040},
                              {1, 2},
                              {2, 1},
                              {1, 3},
                              {9, 2},
                              {640, 2},
                              {5, 3},
                              {33, 35},  // (H - 2) * W = 1089: a last
                                         // block with 65 pixels in range
                              {64, 18},  // (H - 2) * W = 1024 exactly
                              {1500, 4},
                              {1025, 3}},
                             17);
}

// The same fixture over every measure with a reference, window measures or not.
class EveryMeasureTest : public WindowMeasureTest {};

TEST_P(EveryMeasureTest, EveryVariantMatchesTheFormulaAndLeavesNothingAllocated) {
    unsigned seed = 1;
    for (const ImageSize size : sizes_to_cover()) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const std::vector<unsigned char> bytes = random_bytes(size, ++seed);
        const std::vector<double> values = normalised(bytes);
        const ReferenceValue expected = reference(values, size);
        const double from_bytes = uchar(bytes, size);

        EXPECT_NEAR(from_bytes, expected.value, tolerance(expected));
        EXPECT_NEAR(uchar_stream(bytes, size), from_bytes, tolerance(expected));
        EXPECT_NEAR(doubles(values, size), from_bytes, tolerance(expected));
        expect_nothing_allocated();

        const std::vector<double> signed_values = random_doubles(size, ++seed);
        const ReferenceValue signed_expected = reference(signed_values, size);
        EXPECT_NEAR(doubles(signed_values, size), signed_expected.value,
                    tolerance(signed_expected));
        expect_nothing_allocated();
    }
}

// Sides of 0 window anchors (no blocks: nothing is launched) and of fewer (one block whose threads
// all lie outside), beside a side long enough for several blocks.
TEST_P(WindowMeasureTest, ImagesWithoutAWindowGiveZero) {
    const RegionSize no_anchors = measure().anchor_shortfall;
    std::vector<ImageSize> sizes;
    for (int side = 1; side <= no_anchors.width; ++side) sizes.push_back({side, 70});
    for (int side = 1; side <= no_anchors.height; ++side) sizes.push_back({70, side});
    for (int side = 1; side <= std::max(no_anchors.width, no_anchors.height); ++side) {
        sizes.push_back({side, side});
    }
    unsigned seed = 3;
    for (const ImageSize size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const std::vector<unsigned char> bytes = random_bytes(size, ++seed);
        EXPECT_EQ(uchar(bytes, size), 0.0);
        EXPECT_EQ(uchar_stream(bytes, size), 0.0);
        EXPECT_EQ(doubles(random_doubles(size, ++seed), size), 0.0);
        expect_nothing_allocated();
    }
}

// The double-input variant uses its values as they come: 0 / 255 bytes given as 0.0 / 255.0
// measure 255^2 times what the 8-bit variant measures on byte / 255.0 (255 times for a measure
// linear in the pixels).
TEST_P(WindowMeasureTest, DoubleInputIsNotNormalised) {
    for (const ImageSize size : {ImageSize{61, 47}, ImageSize{300, 200}}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        std::vector<unsigned char> bytes = random_bytes(size, 23);
        std::vector<double> values(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = bytes[i] < 128 ? 0 : 255;
            values[i] = bytes[i];
        }
        const double from_bytes = uchar(bytes, size);
        EXPECT_GT(from_bytes, 0.0);
        const double scale = std::pow(255.0, measure().pixel_power);
        EXPECT_NEAR(doubles(values, size), scale * from_bytes, 1e-12 * scale * from_bytes);
    }
}

// A test name for a parameterised case: the measure's.
std::string measure_name(const ::testing::TestParamInfo<WindowMeasure>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Measures, WindowMeasureTest, ::testing::ValuesIn(window_measures()),
                         measure_name);
INSTANTIATE_TEST_SUITE_P(Measures, EveryMeasureTest, ::testing::ValuesIn(referenced_measures()),
                         measure_name);

}  // namespace
