// 16-bit images, pages of multi-page files and regions of interest through measure_image, on every
// measure of the registry and both engines: an image holding an 8-bit image times 257 keeps the
// 8-bit values within 1e-12, a page gives what the same image in a file of its own gives, and a
// region gives what a cropped copy gives.
#include <gtest/gtest.h>

#include <cmath>
#include <opencv2/imgcodecs.hpp>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "image_measure.h"
#include "measure_registry.h"
#include "test_support.h"

namespace bestfocus {
// Names the measure in the test output, not its bytes.
void PrintTo(const MeasureEntry& measure, std::ostream* out) { *out << measure.short_name; }
void PrintTo(EngineKind engine, std::ostream* out) {
    *out << (engine == EngineKind::cpu ? "cpu engine" : "kernels");
}
}  // namespace bestfocus

using namespace bestfocus;

namespace {

using bestfocus::EngineKind;

cv::Mat random_bytes(int width, int height, unsigned seed) {
    cv::Mat image(height, width, CV_8U);
    cv::theRNG().state = seed;
    cv::randu(image, 0, 256);
    return image;
}

cv::Mat times_257(const cv::Mat& bytes) {
    cv::Mat words;
    bytes.convertTo(words, CV_16U, 257.0);
    return words;
}

// An engine and the method it measures with.
struct EngineMethod {
    std::unique_ptr<bestfocus::Engine> engine;
    int method;
};

EngineMethod measure_on(EngineKind kind, const MeasureEntry& entry) {
    return {bestfocus::make_engine(kind, 1), entry.code};  // one image: the CPU engine splits it
}

double focus(const ImageLocation& image, const EngineMethod& measure,
             const std::optional<RegionOfInterest>& region = std::nullopt) {
    const ImageMeasurement measurement =
        measure_image(image, *measure.engine, {measure.method}, region);
    EXPECT_TRUE(measurement.measured)
        << described(image) << ": " << tool_message(measurement.failure)
        << measurement.failure.diagnostic;
    return measurement.measured ? measurement.focus[0] : std::nan("");
}

class DepthAndRegion : public testing::TestWithParam<std::tuple<MeasureEntry, EngineKind>> {
  protected:
    EngineMethod measure() const {
        return measure_on(std::get<1>(GetParam()), std::get<0>(GetParam()));
    }
    TemporaryFolder folder_;
};

TEST_P(DepthAndRegion, SixteenBitTwinsKeepTheEightBitValue) {
    for (const cv::Size size : {cv::Size(37, 29), cv::Size(3, 50), cv::Size(300, 5)}) {
        const cv::Mat bytes = random_bytes(size.width, size.height, 7u + size.width);
        const std::string eight_bit = folder_.path() + "eight.bmp";
        ASSERT_TRUE(cv::imwrite(eight_bit, bytes));
        const double expected = focus(eight_bit, measure());
        for (const char* name : {"sixteen.png", "sixteen.tif"}) {
            const std::string sixteen_bit = folder_.path() + name;
            ASSERT_TRUE(cv::imwrite(sixteen_bit, times_257(bytes)));
            EXPECT_NEAR(focus(sixteen_bit, measure()), expected, 1e-12 * std::abs(expected))
                << name << ", " << size;
        }
    }
}

TEST_P(DepthAndRegion, PagesMeasureAsFilesOfTheirOwn) {
    std::vector<cv::Mat> pages;
    for (unsigned page = 0; page < 3; ++page) {
        pages.push_back(page == 1 ? random_bytes(41, 23, page)
                                  : times_257(random_bytes(41, 23, page)));
    }
    const std::string stack = folder_.path() + "stack.tif";
    ASSERT_TRUE(cv::imwritemulti(stack, pages));
    for (int page = 0; page < 3; ++page) {
        const std::string single = folder_.path() + "page" + std::to_string(page) + ".tif";
        ASSERT_TRUE(cv::imwrite(single, pages[static_cast<std::size_t>(page)]));
        EXPECT_EQ(focus(ImageLocation(stack, page), measure()), focus(single, measure()))
            << "page " << page;
    }
}

TEST_P(DepthAndRegion, RegionMeasuresAsACroppedCopy) {
    const cv::Mat bytes = random_bytes(40, 30, 11u);
    const RegionOfInterest region{5, 3, 21, 17};
    const cv::Rect rectangle(region.x, region.y, region.width, region.height);
    for (const cv::Mat& image : {bytes, times_257(random_bytes(40, 30, 12u))}) {
        const std::string whole = folder_.path() + "whole.tif";
        const std::string cropped = folder_.path() + "cropped.tif";
        ASSERT_TRUE(cv::imwrite(whole, image));
        ASSERT_TRUE(cv::imwrite(cropped, image(rectangle).clone()));
        EXPECT_EQ(focus(whole, measure(), region), focus(cropped, measure()))
            << image.elemSize() * 8 << "-bit";
    }
    // The whole image as its own region.
    const std::string whole = folder_.path() + "whole.bmp";
    ASSERT_TRUE(cv::imwrite(whole, bytes));
    EXPECT_EQ(focus(whole, measure(), RegionOfInterest{0, 0, 40, 30}), focus(whole, measure()));
}

// Tile edges fall between pixels (37 / 4, 29 / 3), inside a region and on a whole image; then
// tiles as small as the measure's window allows. The whole value must stay the untiled one.
TEST_P(DepthAndRegion, TilesMeasureAsTheirRegions) {
    // A run of many images: the CPU engine measures the tiles as the rows are read.
    const EngineMethod measuring{bestfocus::make_engine(std::get<1>(GetParam()), 2),
                                 std::get<0>(GetParam()).code};
    // The smallest tiles the method scores on: its window, grown where a single term scores 0.
    RegionSize window = smallest_measured_size(std::get<0>(GetParam()));
    while (!bestfocus::measure_can_score(std::get<0>(GetParam()), window.width, window.height)) {
        ++window.width;
        ++window.height;
    }
    for (const TileGrid grid : {TileGrid{3, 4}, TileGrid{29 / window.height, 37 / window.width}}) {
        // The wide images are read in bands of fewer rows than they have (measure_as_read.h).
        for (const cv::Mat& image :
             {random_bytes(44, 33, 21u), times_257(random_bytes(44, 33, 22u)),
              random_bytes(4099, 150, 23u), times_257(random_bytes(2050, 150, 24u))}) {
            // Files whose rows lie as stored (a BMP, an uncompressed TIFF) are measured as read.
            const std::string file =
                folder_.path() + (image.depth() == CV_8U ? "tiled.bmp" : "tiled.tif");
            ASSERT_TRUE(cv::imwrite(file, image, {cv::IMWRITE_TIFF_COMPRESSION, 1}));
            for (const RegionOfInterest area :
                 {RegionOfInterest{5, 2, 37, 29}, RegionOfInterest{0, 0, image.cols, image.rows}}) {
                const std::optional<RegionOfInterest> region =
                    area.width < image.cols ? std::optional(area) : std::nullopt;
                const ImageMeasurement tiled =
                    measure_image(file, *measuring.engine, {measuring.method}, region, grid);
                ASSERT_TRUE(tiled.measured) << tool_message(tiled.failure);
                const int tiles = grid.rows * grid.columns;
                ASSERT_EQ(tiled.tile_focus.size(), static_cast<std::size_t>(tiles));
                EXPECT_EQ(tiled.focus[0], focus(file, measuring, region));
                for (int tile = 0; tile < tiles; ++tile) {
                    const int row = tile / grid.columns;
                    const int column = tile % grid.columns;
                    // Columns floor(c·W/C) to floor((c+1)·W/C) − 1 of the area, rows alike.
                    const int left = column * area.width / grid.columns;
                    const int top = row * area.height / grid.rows;
                    const RegionOfInterest rectangle{
                        area.x + left, area.y + top,
                        (column + 1) * area.width / grid.columns - left,
                        (row + 1) * area.height / grid.rows - top};
                    EXPECT_EQ(tiled.tile_focus[static_cast<std::size_t>(tile)],
                              focus(file, measuring, rectangle))
                        << image.elemSize() * 8 << "-bit, " << grid.rows << "x" << grid.columns
                        << " tile " << row << "," << column;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, DepthAndRegion,
                         testing::Combine(testing::ValuesIn(measure_registry()),
                                          testing::Values(EngineKind::cpu, EngineKind::kernels)),
                         [](const auto& info) {
                             std::string name = std::get<0>(info.param).short_name;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name + (std::get<1>(info.param) == EngineKind::cpu
                                                ? "_cpu"
                                                : "_kernels");
                         });

TEST(MeasureImageLimits, RegionOutsideTheImageNamesItAndBothSizes) {
    TemporaryFolder folder;
    const std::string path = folder.path() + "image.png";
    ASSERT_TRUE(cv::imwrite(path, random_bytes(40, 30, 3u)));
    const ImageMeasurement measurement = measure_image(
        path, *bestfocus::make_engine(EngineKind::cpu, 2), {1}, RegionOfInterest{30, 0, 11, 30});
    EXPECT_FALSE(measurement.measured);
    EXPECT_EQ(tool_message(measurement.failure),
              "\nLa region de interes no cabe en la imagen: " + path);
    EXPECT_EQ(
        measurement.failure.diagnostic,
        "bestfocus: the region 11 x 30 at (30, 0) does not lie inside " + path + ", 40 x 30\n");
}

TEST(MeasureImageLimits, FloatAndSignedImagesAreRefusedByDepth) {
    TemporaryFolder folder;
    const std::pair<int, const char*> depths[] = {{CV_32F, "32-bit float"},
                                                  {CV_16S, "16-bit signed"}};
    for (const auto& [type, name] : depths) {
        const std::string path = folder.path() + "image" + std::to_string(type) + ".tif";
        ASSERT_TRUE(cv::imwrite(path, cv::Mat(8, 8, type, cv::Scalar(1))));
        for (const EngineKind kind : {EngineKind::cpu, EngineKind::kernels}) {
            const ImageMeasurement measurement =
                measure_image(path, *bestfocus::make_engine(kind, 2), {1});
            EXPECT_FALSE(measurement.measured);
            EXPECT_EQ(tool_message(measurement.failure), "\nNo se puede abrir el archivo: " + path);
            EXPECT_NE(measurement.failure.diagnostic.find(std::string(name) + " pixels"),
                      std::string::npos)
                << measurement.failure.diagnostic;
        }
    }
}

}  // namespace
