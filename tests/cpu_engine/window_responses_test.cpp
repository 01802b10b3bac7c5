// The per-pixel responses against the exact references run on crops: a crop of the image holding
// just the anchors of a pixel's window has, as its total, the sum of their terms. The term's
// footprint (the smallest crop with a term) and so its centre come from the reference too.
#include "window_responses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine_measures.h"
#include "random_images.h"

namespace {

ExactImage crop(const ExactImage& image, int x, int y, int width, int height) {
    ExactImage part{width, height, {}};
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) {
            part.bytes.push_back(static_cast<std::uint8_t>(image.at(column, row)));
        }
    }
    return part;
}

class WindowResponsesTest : public testing::TestWithParam<MeasureUnderTest> {};

TEST_P(WindowResponsesTest, AreEachWindowsTermsOverTheirCount) {
    const MeasureUnderTest& measure = GetParam();
    const ExactImage image = random_image({23, 17}, 5);
    // The footprint: the narrowest and lowest crops on which the reference adds a term.
    int footprint_x = 1;
    while (measure.reference(crop(image, 0, 0, footprint_x, image.height)).value == 0)
        ++footprint_x;
    int footprint_y = 1;
    while (measure.reference(crop(image, 0, 0, image.width, footprint_y)).value == 0) ++footprint_y;
    const int anchors_x = image.width - footprint_x + 1;
    const int anchors_y = image.height - footprint_y + 1;
    for (const int radius : {0, 1, 3}) {
        WindowResponses responses(measure.entry->code, image.width, image.height, PixelDepth::u8,
                                  radius);
        std::vector<float> got(image.bytes.size());
        responses.respond(
            {image.bytes.data(), PixelDepth::u8, image.width, image.height, image.width},
            got.data());
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const int x0 = std::max(0, x - radius - (footprint_x - 1) / 2);
                const int x1 = std::min(anchors_x - 1, x + radius - (footprint_x - 1) / 2);
                const int y0 = std::max(0, y - radius - (footprint_y - 1) / 2);
                const int y1 = std::min(anchors_y - 1, y + radius - (footprint_y - 1) / 2);
                long double expected = 0;
                if (x0 <= x1 && y0 <= y1) {
                    const ExactValue total = measure.reference(
                        crop(image, x0, y0, x1 - x0 + footprint_x, y1 - y0 + footprint_y));
                    // The references of measures of one power of the pixels are given times
                    // the largest pixel (exact_reference.h).
                    const long double scale = measure.entry->row_sums().pixel_power == 1 ? 255 : 1;
                    expected = static_cast<long double>(total.value) / scale /
                               ((x1 - x0 + 1) * (y1 - y0 + 1));
                }
                ASSERT_NEAR(got[static_cast<std::size_t>(y * image.width + x)], expected,
                            1e-6 * std::fabs(static_cast<double>(expected)) + 1e-6)
                    << "radius " << radius << " at " << x << "," << y;
            }
        }
    }
}

// At 16 bits, the same pixels times 257 (each 8-bit value v as v·257, the same share of the
// largest) give every window's sum times 257 to the measure's pixel power: the 16-bit terms and
// sums against the 8-bit ones checked above.
TEST_P(WindowResponsesTest, At16BitsAreThe8BitOnesScaled) {
    const MeasureUnderTest& measure = GetParam();
    const int power = measure.entry->row_sums().pixel_power;
    if (power == 0) GTEST_SKIP() << "a statistic of several sums, not a scaled sum";
    const ExactImage image = random_image({21, 15}, 6);
    const std::vector<std::uint16_t> wide(image.bytes.begin(), image.bytes.end());
    std::vector<std::uint16_t> scaled(wide.size());
    for (std::size_t p = 0; p < wide.size(); ++p)
        scaled[p] = static_cast<std::uint16_t>(wide[p] * 257);
    const int radius = 2;
    std::vector<float> narrow_got(image.bytes.size());
    std::vector<float> wide_got(image.bytes.size());
    WindowResponses(measure.entry->code, image.width, image.height, PixelDepth::u8, radius)
        .respond({image.bytes.data(), PixelDepth::u8, image.width, image.height, image.width},
                 narrow_got.data());
    WindowResponses(measure.entry->code, image.width, image.height, PixelDepth::u16, radius)
        .respond({scaled.data(), PixelDepth::u16, image.width, image.height, image.width},
                 wide_got.data());
    const double scale = std::pow(257.0, power);
    for (std::size_t p = 0; p < wide_got.size(); ++p) {
        const double expected = narrow_got[p] * scale;
        ASSERT_NEAR(wide_got[p], expected, 1e-6 * std::fabs(expected) + 1e-6) << "pixel " << p;
    }
}

// Vollath F4's two sums reach different rows below (a crop's total holds one more row of the first
// than of the second), so its crops do not add up as its anchors' terms do: not here.
std::vector<MeasureUnderTest> measures_of_one_footprint() {
    std::vector<MeasureUnderTest> measures;
    for (const MeasureUnderTest& measure : engine_measures_with_totals()) {
        if (std::string(measure.entry->short_name) != "vollath-f4") measures.push_back(measure);
    }
    return measures;
}

INSTANTIATE_TEST_SUITE_P(Measures, WindowResponsesTest,
                         testing::ValuesIn(measures_of_one_footprint()), engine_measure_name);

// The variance measures' window statistic: gray variance's, the pixels' variance over the window
// (clamped at the borders), (n S2 − S1²) / (n² M²).
TEST(WindowResponses, GrayVarianceIsEachWindowsVariance) {
    const ExactImage image = random_image({19, 13}, 8);
    const int radius = 2;
    WindowResponses responses(7, image.width, image.height, PixelDepth::u8, radius);
    std::vector<float> got(image.bytes.size());
    responses.respond({image.bytes.data(), PixelDepth::u8, image.width, image.height, image.width},
                      got.data());
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            long double n = 0, s1 = 0, s2 = 0;
            for (int v = std::max(0, y - radius); v <= std::min(image.height - 1, y + radius);
                 ++v) {
                for (int u = std::max(0, x - radius); u <= std::min(image.width - 1, x + radius);
                     ++u) {
                    n += 1;
                    s1 += image.at(u, v);
                    s2 += image.at(u, v) * image.at(u, v);
                }
            }
            const long double expected = (n * s2 - s1 * s1) / (n * n * 255.0L * 255.0L);
            ASSERT_NEAR(got[static_cast<std::size_t>(y * image.width + x)], expected,
                        1e-6 * expected + 1e-9)
                << x << "," << y;
        }
    }
}

}  // namespace
