// The CPU engine against the kernels' 8-bit entry points, which compute the same quantity in
// double precision: within 1e-12 of the larger sum the value is made of (the value itself but for
// Vollath F4, a difference of two close sums). And the two engines' scores: the same bits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine.h"
#include "engine_measures.h"
#include "random_images.h"
#include "team_sizes.h"

using namespace bestfocus;

namespace {

class EngineAgainstKernel : public testing::TestWithParam<MeasureUnderTest> {};

TEST_P(EngineAgainstKernel, AgreeWithin1e12OnRandomImages) {
    const MeasureUnderTest& measure = GetParam();
    unsigned seed = 100;
    for (const Size size : awkward_sizes()) {
        const ExactImage image = random_image(size, seed++);
        const double engine = engine_value(measure, image, 1);
        const double kernel =
            measure.entry->uchar(image.bytes.data(), image.width, image.height, 2);
        // The fractions of several sums are as large as their value.
        const double scale = measure.reference != nullptr
                                 ? scaled(measure.reference(image).magnitude)
                                 : std::abs(engine);
        EXPECT_LE(std::abs(engine - kernel), 1e-12 * scale)
            << size.width << " x " << size.height << ": engine " << engine << ", kernel " << kernel;
    }
}

// A score as each engine gives it (8- or 16-bit pixels, rows back to back).
template <class Pixel>
double score(EngineKind kind, int code, const std::vector<Pixel>& pixels, int width, int height) {
    ImageView view;
    view.pixels = pixels.data();
    view.depth = sizeof(Pixel) == 1 ? PixelDepth::u8 : PixelDepth::u16;
    view.width = width;
    view.height = height;
    view.row_stride = width;
    const Measurement measurement = make_engine(kind, 2)->measure(view, {code});
    EXPECT_EQ(measurement.failure, Measurement::Failure::none);
    return measurement.values.at(0);
}

template <class Pixel>
std::vector<Pixel> mirrored(const std::vector<Pixel>& pixels, int width) {
    std::vector<Pixel> mirror(pixels);
    for (std::size_t row = 0; row < pixels.size(); row += static_cast<std::size_t>(width)) {
        std::reverse(mirror.begin() + static_cast<std::ptrdiff_t>(row),
                     mirror.begin() + static_cast<std::ptrdiff_t>(row) + width);
    }
    return mirror;
}

// The kernel engine's exact kernels give the CPU engine's scores to the last bit whatever the
// reduction team, on images in memory (the tool's runs are checked in tests/engines), so equal
// true scores compare equal (an image and its mirror, for the measures the mirror leaves alone)
// and a flat image of value v scores exactly its formula's value (W·v²/M² on Vollath F4, 0 on most).
template <class Pixel>
void expect_the_same_scores(const MeasureUnderTest& measure, int max_pixel) {
    const int code = measure.entry->code;
    unsigned seed = 700;
    for (const Size size : awkward_sizes()) {
        std::mt19937 generator(seed++);
        std::uniform_int_distribution<int> value(0, max_pixel);
        const std::size_t count = static_cast<std::size_t>(size.width) * size.height;
        std::vector<Pixel> random(count), flat(count, static_cast<Pixel>(value(generator)));
        for (Pixel& pixel : random) pixel = static_cast<Pixel>(value(generator));
        for (const std::vector<Pixel>& pixels : {random, mirrored(random, size.width), flat}) {
            const double exact = score(EngineKind::cpu, code, pixels, size.width, size.height);
            for (const int reduction_team : {1, 3, 10}) {
                N_threads = reduction_team;
                EXPECT_EQ(score(EngineKind::kernels, code, pixels, size.width, size.height), exact)
                    << size.width << " x " << size.height << ", team " << reduction_team;
            }
        }
    }
    N_threads = kDefaultThreads;
}

TEST_P(EngineAgainstKernel, EnginesGiveTheSameScoresOnEightBitImages) {
    expect_the_same_scores<std::uint8_t>(GetParam(), 255);
}

TEST_P(EngineAgainstKernel, EnginesGiveTheSameScoresOnSixteenBitImages) {
    expect_the_same_scores<std::uint16_t>(GetParam(), 65535);
}

INSTANTIATE_TEST_SUITE_P(CpuEngine, EngineAgainstKernel, testing::ValuesIn(engine_measures()),
                         engine_measure_name);

}  // namespace
