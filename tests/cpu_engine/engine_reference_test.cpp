// The engine against the exact references: to the last bit, since both are exact integer sums
// scaled once by the same division.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine_measures.h"
#include "random_images.h"

using namespace bestfocus;  // the CPU engine's functions

namespace {

class EngineAgainstReference : public testing::TestWithParam<MeasureUnderTest> {};

void expect_reference_value(const MeasureUnderTest& measure, const ExactImage& image) {
    EXPECT_EQ(engine_value(measure, image, 1), scaled(measure.reference(image).value))
        << image.width << " x " << image.height;
}

TEST_P(EngineAgainstReference, RandomImagesOfAwkwardSizes) {
    unsigned seed = 1;
    for (const Size size : awkward_sizes()) {
        expect_reference_value(GetParam(), random_image(size, seed++));
    }
}

// Patterns that drive every term to its largest magnitude somewhere (checkerboards for the
// Laplacian, the MDCT sign pattern tiled, edges), over rows longer than a run of columns: an
// overflow of the narrow integer types would show here first.
TEST_P(EngineAgainstReference, ExtremePatterns) {
    const std::vector<std::function<bool(int, int)>> white = {
        [](int, int) { return true; },
        [](int x, int y) { return (x + y) % 2 == 0; },
        [](int x, int y) { return (x % 4 < 2) == (y % 4 < 2); },
        [](int x, int) { return x % 2 == 0; },
        [](int, int y) { return y % 3 == 0; },
        [](int x, int y) { return (x / 2 + y / 2) % 2 == 0; },
    };
    for (const Size size : {Size{4099, 9}, Size{9, 40}}) {
        for (const auto& is_white : white) {
            ExactImage image{size.width, size.height, {}};
            for (int y = 0; y < size.height; ++y) {
                for (int x = 0; x < size.width; ++x) {
                    image.bytes.push_back(is_white(x, y) ? 255 : 0);
                }
            }
            expect_reference_value(GetParam(), image);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CpuEngine, EngineAgainstReference,
                         testing::ValuesIn(engine_measures_with_totals()), engine_measure_name);

struct WhitePixel {
    int x;
    int y;
};

// Small black images with a few pixels at 255, whose values follow by hand.
TEST(EngineHandExamples, ZeroOneImagesGiveTheirHandValues) {
    struct Example {
        EngineMeasure measure;
        Size size;
        std::vector<WhitePixel> white;
        double value;
    };
    const std::vector<WhitePixel> left_column = {{0, 0}, {0, 1}, {0, 2}};
    const std::vector<Example> examples = {
        {cpu_vollath_f4, {1, 3}, {{0, 0}, {0, 2}}, -1.0},            // S1 = 0, S2 = 1
        {cpu_vollath_f4, {2, 3}, {{1, 0}, {0, 1}, {1, 1}}, 1.0},     // S1 = 1, S2 = 0
        {cpu_vollath_f4, {3, 2}, {{0, 0}, {0, 1}, {2, 1}}, 1.0},     // the last row pair alone
        {cpu_mdct, {5, 5}, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 16.0},  // S = 4
        {cpu_mdct, {5, 5}, {{2, 0}, {3, 0}, {2, 1}, {3, 1}}, 16.0},  // S = -4
        {cpu_mdct, {5, 5}, {{4, 0}, {4, 4}, {0, 4}}, 0.0},  // last row and column never count
        {cpu_mdct, {4, 4}, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 0.0},  // no anchor
        {cpu_tenengrad, {3, 3}, left_column, 16.0},                 // Gx = 4, Gy = 0
        {cpu_tenengrad, {3, 3}, {{0, 0}}, 2.0},                     // Gx = Gy = 1
        {cpu_tenengrad, {3, 3}, {{1, 1}}, 0.0},                     // the centre takes no part
        {cpu_tenengrad, {5, 5}, {{2, 2}}, 24.0},
        {cpu_laplacian, {3, 3}, {{1, 1}}, 16.0},  // L = -4
        {cpu_laplacian, {3, 3}, left_column, 1.0},
        {cpu_laplacian, {3, 3}, {{2, 0}}, 0.0},   // corners take no part
        {cpu_laplacian, {5, 5}, {{2, 2}}, 20.0},  // 16 at the centre, 1 at each neighbour
    };
    for (const Example& example : examples) {
        std::vector<unsigned char> bytes(
            static_cast<size_t>(example.size.width) * example.size.height, 0);
        for (const WhitePixel p : example.white) {
            bytes[static_cast<size_t>(p.y) * example.size.width + p.x] = 255;
        }
        EXPECT_EQ(example.measure(bytes.data(), example.size.width, example.size.height,
                                  example.size.width, 1),
                  example.value)
            << example.size.width << " x " << example.size.height;
    }
}

TEST(EngineArguments, InvalidImagesGiveNaN) {
    const unsigned char pixels[12] = {};
    for (const MeasureUnderTest& measure : engine_measures()) {
        EXPECT_TRUE(std::isnan(measure.engine(nullptr, 3, 4, 3, 1))) << measure.entry->short_name;
        EXPECT_TRUE(std::isnan(measure.engine(pixels, 4, 3, 3, 1))) << measure.entry->short_name;
        EXPECT_TRUE(std::isnan(measure.engine(pixels, 0, 3, 3, 1))) << measure.entry->short_name;
    }
}

}  // namespace
