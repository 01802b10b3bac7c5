// An image fed a band of rows at a time, as the reader measures it, gives the bits the engine gives
// on the whole image: for bands going down or up, of every height from the least the overlap
// allows, at both depths, on images shorter and narrower than the windows as well.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "banded_measure.h"
#include "engine_measures.h"
#include "random_images.h"

namespace {

// 8- or 16-bit pixels, row stride = width.
struct Pixels {
    PixelDepth depth;
    int width;
    int height;
    std::vector<std::uint16_t> values;

    // Rows first <= y < first + count copied between rows of noise, as a reader's buffer holds a
    // band among rows of other bands: a term that reads past its band reads noise.
    ImageView band(int first, int count, std::vector<std::uint8_t>* narrow,
                   std::vector<std::uint16_t>* wide) const {
        constexpr int kNoiseRows = 4;
        const std::size_t start = static_cast<std::size_t>(kNoiseRows) * width;
        std::mt19937 noise(static_cast<unsigned>(first * 31 + count));
        wide->resize(static_cast<std::size_t>(count + 2 * kNoiseRows) * width);
        for (std::uint16_t& value : *wide) value = static_cast<std::uint16_t>(noise() >> 16);
        std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(first) * width,
                    static_cast<std::size_t>(count) * width, wide->begin() + start);
        if (depth == PixelDepth::u16) {
            return {wide->data() + start, depth, width, count, width};
        }
        narrow->assign(wide->begin(), wide->end());  // the 8-bit values and noise cut to 8 bits
        return {narrow->data() + start, depth, width, count, width};
    }
};

Pixels random_pixels(PixelDepth depth, int width, int height) {
    std::mt19937 generator(static_cast<unsigned>(width * 7 + height));
    std::uniform_int_distribution<int> value(0, depth == PixelDepth::u8 ? 255 : 65535);
    Pixels pixels{depth, width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        pixels.values.push_back(static_cast<std::uint16_t>(value(generator)));
    }
    return pixels;
}

double whole_image_value(const MeasureEntry& measure, const Pixels& pixels) {
    if (pixels.depth == PixelDepth::u16) {
        return measure.cpu16(pixels.values.data(), pixels.width, pixels.height, pixels.width, 1);
    }
    const std::vector<std::uint8_t> bytes(pixels.values.begin(), pixels.values.end());
    return measure.cpu(bytes.data(), pixels.width, pixels.height, pixels.width, 1);
}

// Bands of `band_rows` rows (the last one fewer), each repeating the overlap of the one before:
// the image's values, then its tiles' when there are edges. Given a split row, two measures each
// take the term rows on one side of it, as a team's threads do, and their totals are added.
std::vector<double> banded_values(const MeasureEntry& measure, const Pixels& pixels, int band_rows,
                                  bool upward, const TileEdges& tiles = {}, int split = 0) {
    BandedMeasure banded({measure.code}, pixels.width, pixels.height, pixels.depth);
    BandedMeasure below({measure.code}, pixels.width, pixels.height, pixels.depth);
    banded.measure_tiles(tiles);
    below.measure_tiles(tiles);
    if (split > 0) {
        banded.only_term_rows(0, split);
        below.only_term_rows(split, pixels.height);
    }
    for (int done = 0;;) {  // rows given so far, from the end the bands start at
        const int count = std::min(band_rows, pixels.height - done);
        const int first = upward ? pixels.height - done - count : done;
        std::vector<std::uint8_t> narrow;
        std::vector<std::uint16_t> wide;
        const ImageView band = pixels.band(first, count, &narrow, &wide);
        banded.add(band, first);
        if (split > 0) below.add(band, first);
        if (done + count == pixels.height) break;
        done += count - banded.overlap_rows();
    }
    if (split > 0) banded.add_totals(below);
    return banded.result().values;
}

class EngineBands : public testing::TestWithParam<MeasureUnderTest> {};

TEST_P(EngineBands, SameBitsAsTheWholeImage) {
    const MeasureEntry& measure = *GetParam().entry;
    const int overlap = BandedMeasure({measure.code}, 8, 8, PixelDepth::u8).overlap_rows();
    for (const PixelDepth depth : {PixelDepth::u8, PixelDepth::u16}) {
        for (const Size size :
             {Size{301, 97}, Size{2051, 11}, Size{5, 6}, Size{9, 2}, Size{3, 1}, Size{2, 40}}) {
            const Pixels pixels = random_pixels(depth, size.width, size.height);
            const double whole = whole_image_value(measure, pixels);
            for (const int band_rows : {overlap + 1, overlap + 2, 16, 64}) {
                for (const bool upward : {false, true}) {
                    EXPECT_EQ(banded_values(measure, pixels, band_rows, upward).at(0), whole)
                        << (depth == PixelDepth::u8 ? "8" : "16") << "-bit " << size.width << " x "
                        << size.height << ", bands of " << band_rows << " rows "
                        << (upward ? "upward" : "downward");
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CpuEngine, EngineBands, testing::ValuesIn(engine_measures()),
                         engine_measure_name);

double region_value(const MeasureEntry& measure, const Pixels& pixels, int x, int y, int width,
                    int height) {
    const std::size_t start = static_cast<std::size_t>(y) * pixels.width + x;
    if (pixels.depth == PixelDepth::u16) {
        return measure.cpu16(pixels.values.data() + start, width, height, pixels.width, 1);
    }
    const std::vector<std::uint8_t> bytes(pixels.values.begin(), pixels.values.end());
    return measure.cpu(bytes.data() + start, width, height, pixels.width, 1);
}

// Tiles as narrow and as low as the largest window allows and a few wider, uneven, the image's
// rows in bands down or up, whole or in two parts that split a row of tiles: every tile has the
// bits of its region, the image its own.
TEST_P(EngineBands, EachTileHasTheBitsOfItsRegionInTheSamePass) {
    const MeasureEntry& measure = *GetParam().entry;
    const TileEdges edges{{0, 5, 11, 17, 30, 37}, {0, 5, 12, 23, 29}};
    for (const PixelDepth depth : {PixelDepth::u8, PixelDepth::u16}) {
        const Pixels pixels = random_pixels(depth, 37, 29);
        for (const int band_rows : {4, 16}) {
            for (const int split : {0, 14}) {
                const bool upward = band_rows == 4;
                const std::vector<double> values =
                    banded_values(measure, pixels, band_rows, upward, edges, split);
                EXPECT_EQ(values.at(0), whole_image_value(measure, pixels));
                for (std::size_t t = 0; t < 20; ++t) {
                    const int x = edges.columns[t % 5], y = edges.rows[t / 5];
                    EXPECT_EQ(values.at(t + 1),
                              region_value(measure, pixels, x, y, edges.columns[t % 5 + 1] - x,
                                           edges.rows[t / 5 + 1] - y))
                        << (depth == PixelDepth::u8 ? "8" : "16") << "-bit tile " << t
                        << ", bands of " << band_rows << (upward ? " upward" : " downward")
                        << ", split at " << split;
                }
            }
        }
    }
}

}  // namespace
