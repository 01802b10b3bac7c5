// The depth map and the all-in-focus image against references written from their definitions.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <opencv2/imgcodecs.hpp>
#include <random>
#include <string>
#include <vector>

#include "all_in_focus.h"
#include "depth_map.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

// The middle of tile `part`'s pixels along a side of `length` pixels cut in `parts`.
double centre(int part, int length, int parts) {
    return (part * length / parts + (part + 1) * length / parts - 1) / 2.0;
}

// Bilinear interpolation reproduces any a + b·x + c·y + d·x·y from its values at the corners of
// each cell, so a map made from such tile values must be that function everywhere, clamped to the
// outermost centres beyond them.
TEST(DepthMap, InterpolatesBilinearlyBetweenTileCentresAndClampsAtTheBorders) {
    const auto surface = [](double x, double y) { return 3 + 0.05 * x - 0.02 * y + 0.001 * x * y; };
    for (const TileGrid grid : {TileGrid{3, 4}, TileGrid{1, 5}, TileGrid{2, 1}, TileGrid{1, 1}}) {
        const int width = 37;
        const int height = 29;
        std::vector<double> tiles;
        for (int row = 0; row < grid.rows; ++row) {
            for (int column = 0; column < grid.columns; ++column) {
                tiles.push_back(
                    surface(centre(column, width, grid.columns), centre(row, height, grid.rows)));
            }
        }
        const DepthMap map = held_depth(TileDepthRows(grid, width, height, tiles));
        ASSERT_EQ(map.values.size(), static_cast<std::size_t>(width * height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const double cx = std::clamp<double>(x, centre(0, width, grid.columns),
                                                     centre(grid.columns - 1, width, grid.columns));
                const double cy = std::clamp<double>(y, centre(0, height, grid.rows),
                                                     centre(grid.rows - 1, height, grid.rows));
                ASSERT_NEAR(map.values[static_cast<std::size_t>(y * width + x)], surface(cx, cy),
                            1e-5)
                    << grid.rows << "x" << grid.columns << " at " << x << "," << y;
            }
        }
    }
}

// A stretch's bounds, which the blend takes its images from, hold all its values: every stretch of
// maps of random tile depths (peaks and valleys at the centres).
TEST(DepthMap, BoundsHoldEveryValueOfAStretch) {
    std::mt19937 random(11);
    for (const TileGrid grid : {TileGrid{3, 4}, TileGrid{1, 5}, TileGrid{2, 1}}) {
        std::vector<double> tiles(static_cast<std::size_t>(grid.rows * grid.columns));
        for (double& tile : tiles) {
            tile = std::uniform_real_distribution<double>(1, 20)(random);
        }
        const TileDepthRows rows(grid, 37, 29, tiles);
        const DepthMap map = held_depth(rows);
        float least = 0, greatest = 0;
        for (int y = 0; y < 29; ++y) {
            const auto row = map.values.begin() + y * 37;
            for (int begin = 0; begin < 37; ++begin) {
                for (int end = begin + 1; end <= 37; ++end) {
                    rows.bounds(y, begin, end, nullptr, &least, &greatest);
                    const auto [low, high] = std::minmax_element(row + begin, row + end);
                    ASSERT_TRUE(least <= *low && greatest >= *high)
                        << y << ": " << begin << "-" << end;
                }
            }
        }
    }
}

struct FillCase {
    const char* name;
    std::vector<bool> flat;  // 3 x 3 tiles, row by row
    std::vector<double> expected;
};

// Tile t's own depth is t + 1.
class FlatTileFill : public testing::TestWithParam<FillCase> {};

TEST_P(FlatTileFill, TakesTheMeanOfTheNearestTexturedTiles) {
    const std::vector<double> depths = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(filled_tile_depths({3, 3}, depths, GetParam().flat, 4.25), GetParam().expected);
}

const std::vector<bool> kNone(9, false);
INSTANTIATE_TEST_SUITE_P(
    Cases, FlatTileFill,
    testing::Values(FillCase{"none_flat", kNone, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
                    FillCase{"centre", {0, 0, 0, 0, 1, 0, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
                    FillCase{"centre_and_right_column",
                             {0, 0, 1, 0, 1, 1, 0, 0, 1},
                             {1, 2, 2, 4, 4.4, 5, 7, 8, 8}},
                    FillCase{"corner_behind_a_flat_ring",
                             {1, 1, 0, 1, 1, 0, 0, 0, 0},
                             {6.6, 4.5, 3, 7.5, 6.6, 6, 7, 8, 9}},
                    FillCase{"all_flat", std::vector<bool>(9, true), std::vector<double>(9, 4.25)}),
    [](const auto& info) { return std::string(info.param.name); });

// Larger grids, few or many tiles textured, against every flat tile compared with every other.
TEST(FlatTileFill, MatchesTheMeanOfTheNearestOnRandomGrids) {
    const struct {
        int rows, columns, textured_percent;
    } shapes[] = {{1, 40, 10}, {37, 23, 3}, {64, 64, 50}, {9, 200, 1}};
    std::mt19937 random(7);
    for (const auto& shape : shapes) {
        const TileGrid grid{shape.rows, shape.columns};
        std::vector<double> depths(static_cast<std::size_t>(grid.count()));
        std::vector<bool> flat(depths.size());
        for (std::size_t t = 0; t < depths.size(); ++t) {
            depths[t] = 1 + std::uniform_real_distribution<double>(0, 30)(random);
            flat[t] = static_cast<int>(random() % 100) >= shape.textured_percent;
        }
        flat[random() % flat.size()] = false;
        const std::vector<double> filled = filled_tile_depths(grid, depths, flat, 0);
        for (int t = 0; t < grid.count(); ++t) {
            if (!flat[t]) continue;
            long long nearest = LLONG_MAX;
            long double sum = 0;
            int count = 0;
            for (int u = 0; u < grid.count(); ++u) {
                const long long d = std::max(std::abs(t / shape.columns - u / shape.columns),
                                             std::abs(t % shape.columns - u % shape.columns));
                if (flat[u] || d > nearest) continue;
                if (d < nearest) nearest = d, sum = 0, count = 0;
                sum += depths[u], ++count;
            }
            EXPECT_NEAR(filled[t], static_cast<double>(sum / count), 1e-12) << t;
        }
    }
}

// A tile whose curve peaks twice has no depth of its own and is filled as a flat one, whether its
// pick is inside the stack or an end of it; one whose curve only climbs to the end keeps that end.
TEST(DepthMap, FillsTilesWhoseCurvesPeakTwice) {
    FolderScores folder;
    folder.tiles = {1, 5};
    folder.area = {0, 0, 5, 1};  // a pixel a tile, at its centre
    folder.images.assign(5, ImageLocation("image"));
    const std::vector<std::vector<double>> curves = {
        {1, 5, 1, 1, 1},  // peaks at 2, evenly: its focus is 2
        {1, 4, 1, 1, 6},  // the end against a peak at 2: edge and two-peaks
        {1, 1, 5, 1, 1},  // 3
        {1, 6, 1, 5, 1},  // peaks at 2 and, nearly as high, at 4: two-peaks
        {1, 1, 1, 2, 6},  // climbs to the end only: edge, and keeps 5
    };
    folder.methods.push_back({4, {1, 1, 5, 1, 1}, 3, curves});
    EXPECT_EQ(folder_depth_map(folder).values, (std::vector<float>{2, 2.5f, 3, 4, 5}));
}

// The all-in-focus pixel from every image with weight max(0, 1 − |d − i|), d clamped to 1..n,
// rounded to nearest with halves up, in exact-enough long double.
template <typename Pixel>
Pixel reference_pixel(const std::vector<std::vector<Pixel>>& stack, std::size_t at, float depth) {
    const long double n = static_cast<long double>(stack.size());
    const long double d = std::clamp<long double>(depth, 1, n);
    long double sum = 0;
    for (std::size_t i = 0; i < stack.size(); ++i) {
        sum += std::max<long double>(0, 1 - std::fabs(d - (i + 1))) * stack[i][at];
    }
    return static_cast<Pixel>(std::floor(sum + 0.5L));
}

template <typename Pixel>
void expect_all_in_focus(PixelDepth kind, int maximum) {
    // Wider than a block of columns the blend bounds its images in, the last block cut short.
    const int width = 67;
    const int height = 5;
    const std::size_t pixels = width * height;
    DepthMap depth{width, height, {}};
    // Whole images, halves between them (pixel 3 a tie: images 4 and 5 hold 4 and 5 there), ends
    // and beyond them, and values between.
    const float designed[] = {1, 1.5f, 2, 4.5f, 4, 5, 0.25f, 7.5f, 3.999f, 1.0001f, 2.75f, 3.3f};
    std::mt19937 random(5);
    for (std::size_t i = 0; i < pixels; ++i) {
        depth.values.push_back(i < std::size(designed)
                                   ? designed[i]
                                   : std::uniform_real_distribution<float>(1, 5)(random));
    }
    for (const int images : {5, 1, 2}) {
        std::vector<std::vector<Pixel>> stack(static_cast<std::size_t>(images));
        const HeldDepthRows rows(depth);
        AllInFocus focused(rows, images, kind);
        for (int image = 1; image <= images; ++image) {
            std::vector<Pixel>& values = stack[static_cast<std::size_t>(image) - 1];
            for (std::size_t i = 0; i < pixels; ++i) {
                values.push_back(static_cast<Pixel>(
                    i % 3 == 0 ? 2 * image + 1
                               : std::uniform_int_distribution<int>(0, maximum)(random)));
            }
            focused.add(image, {values.data(), kind, width, height, width});
        }
        const cv::Mat& result = focused.result();
        ASSERT_EQ(result.elemSize(), sizeof(Pixel));
        for (std::size_t i = 0; i < pixels; ++i) {
            EXPECT_EQ(result.ptr<Pixel>(0)[i], reference_pixel(stack, i, depth.values[i]))
                << images << " images, pixel " << i << " at depth " << depth.values[i];
        }
    }
}

TEST(AllInFocus, BlendsTheTwoNearestImagesAtEightBits) {
    expect_all_in_focus<std::uint8_t>(PixelDepth::u8, 255);
}

TEST(AllInFocus, BlendsTheTwoNearestImagesAtSixteenBits) {
    expect_all_in_focus<std::uint16_t>(PixelDepth::u16, 65535);
}

// The second read takes an image only at the size the scan measured it at: a file replaced since
// is refused, not blended.
TEST(AllInFocus, ReadsTheImagesAgainOnlyAsTheyWereMeasured) {
    TemporaryFolder folder;
    const std::string file = folder.path() + "01.bmp";
    const cv::Mat image = checkerboard(40, 30, CV_8U, cv::Scalar(200));
    ASSERT_TRUE(cv::imwrite(file, image));
    FolderScores stack;
    stack.images = {ImageLocation(file)};
    stack.area = {3, 2, 30, 20};
    const DepthMap depth{30, 20, std::vector<float>(600, 1.0f)};
    for (const int measured_width : {40, 41}) {
        stack.image_width = measured_width;
        stack.image_height = 30;
        std::string problem;
        const cv::Mat focused = read_all_in_focus(stack, HeldDepthRows(depth), &problem);
        if (measured_width == 40) {
            EXPECT_EQ(cv::norm(focused, image(cv::Rect(3, 2, 30, 20)), cv::NORM_INF), 0.0);
        } else {
            EXPECT_TRUE(focused.empty());
            EXPECT_EQ(problem, file + " cannot be read again as it was measured");
        }
    }
}

}  // namespace
