// The engine's 16-bit measures: to the last bit against the exact references, beyond 64-bit
// totals, and equal to its 8-bit measures on images that hold 8-bit images times 257 (the same
// rational: 257^2 times the total over 65535^2 = 257^2 * 255^2, rounded once).

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine_measures.h"
#include "random_images.h"

using namespace bestfocus;

namespace {

__extension__ typedef __int128 WideInteger;

struct Measure16UnderTest {
    MeasureUnderTest eight_bit;
    CpuMeasure16 engine;
    ExactValue (*reference)(const ExactImage16& image);
};

std::vector<Measure16UnderTest> measures16() {
    std::vector<Measure16UnderTest> measures;
    for (const MeasureUnderTest& measure : engine_measures_with_totals()) {
        measures.push_back({measure, measure.entry->cpu16,
                            exact_reference_of<ExactImage16>(measure.entry->short_name)});
    }
    return measures;
}

void PrintTo(const Measure16UnderTest& measure, std::ostream* out) {
    *out << measure.eight_bit.entry->short_name;
}

double scaled16(long double word_steps_squared) {
    return static_cast<double>(word_steps_squared) / (65535.0 * 65535.0);
}

double engine_value16(const Measure16UnderTest& measure, const ExactImage16& image, int threads) {
    return measure.engine(image.words.data(), image.width, image.height, image.width, threads);
}

ExactImage16 random_image16(Size size, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> word(0, 65535);
    ExactImage16 image{size.width, size.height, {}};
    image.words.resize(static_cast<size_t>(size.width) * size.height);
    for (auto& pixel : image.words) pixel = static_cast<std::uint16_t>(word(generator));
    return image;
}

class Engine16 : public testing::TestWithParam<Measure16UnderTest> {};

TEST_P(Engine16, RandomImagesMatchTheExactReference) {
    unsigned seed = 500;
    for (const Size size : awkward_sizes()) {
        const ExactImage16 image = random_image16(size, seed++);
        EXPECT_EQ(engine_value16(GetParam(), image, 1),
                  scaled16(static_cast<long double>(GetParam().reference(image).value)))
            << size.width << " x " << size.height;
    }
}

// Full-scale patterns push every response to its largest magnitude over runs of columns.
TEST_P(Engine16, FullScalePatternsMatchTheExactReference) {
    for (const Size size : {Size{4099, 9}, Size{9, 40}}) {
        for (int period : {1, 2, 4}) {
            ExactImage16 image{size.width, size.height, {}};
            for (int y = 0; y < size.height; ++y) {
                for (int x = 0; x < size.width; ++x) {
                    image.words.push_back((x / period + y / period) % 2 == 0 ? 65535 : 0);
                }
            }
            EXPECT_EQ(engine_value16(GetParam(), image, 3),
                      scaled16(static_cast<long double>(GetParam().reference(image).value)))
                << size.width << " x " << size.height << ", period " << period;
        }
    }
}

TEST_P(Engine16, EightBitImagesTimes257KeepTheirValues) {
    unsigned seed = 900;
    for (const Size size : awkward_sizes()) {
        const ExactImage image = random_image(size, seed++);
        ExactImage16 image16{size.width, size.height, {}};
        for (const std::uint8_t byte : image.bytes) image16.words.push_back(byte * 257);
        const double eight_bit = engine_value(GetParam().eight_bit, image, 1);
        const double sixteen_bit = engine_value16(GetParam(), image16, 1);
        EXPECT_EQ(sixteen_bit, eight_bit) << size.width << " x " << size.height;
    }
}

INSTANTIATE_TEST_SUITE_P(CpuEngine, Engine16, testing::ValuesIn(measures16()),
                         [](const testing::TestParamInfo<Measure16UnderTest>& info) {
                             return engine_measure_name({info.param.eight_bit, info.index});
                         });

// A checkerboard gives every Laplacian term (4 * 65535)^2; 11600 x 11600 of them pass 2^63, so a
// total kept in 64 bits would wrap. The exact value, 16 per term, is a whole number.
TEST(Engine16Totals, LaplacianTotalBeyond64Bits) {
    const int side = 11600;
    std::vector<std::uint16_t> board(static_cast<size_t>(side) * side);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            board[static_cast<size_t>(y) * side + x] = (x + y) % 2 == 0 ? 65535 : 0;
        }
    }
    const WideInteger term = static_cast<WideInteger>(4 * 65535) * (4 * 65535);
    const WideInteger total = term * (side - 2) * (side - 2);
    ASSERT_GT(total, static_cast<WideInteger>(INT64_MAX));
    EXPECT_EQ(bestfocus::cpu_laplacian_16(board.data(), side, side, side, 2),
              16.0 * (side - 2) * (side - 2));
}

}  // namespace
