// A run's lone image measured as it is read by a team: its parts give the whole image's values,
// whatever the team and whichever way the file keeps its rows.
#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "image_source.h"
#include "measure_as_read.h"
#include "measure_registry.h"
#include "test_support.h"
#include "tiff_files.h"

namespace {

using namespace bestfocus;

// 256 KiB a band: wide images give each part several. CV_8U is written as a bottom-up BMP, CV_16U
// as a TIFF, top row first.
struct TeamSplit {
    const char* what;
    int team;
    int width;
    int height;
    int type;
};

class LoneImageOnATeam : public ::testing::TestWithParam<TeamSplit> {};

TEST_P(LoneImageOnATeam, GivesTheWholeImagesValues) {
    const TeamSplit& split = GetParam();
    TemporaryFolder folder;
    cv::Mat pixels(split.height, split.width, split.type);
    cv::randu(pixels, 0, split.type == CV_8U ? 256 : 65536);
    const bool bmp = split.type == CV_8U;
    const std::string file = folder.path() + (bmp ? "image.bmp" : "image.tif");
    bmp ? (void)cv::imwrite(file, pixels) : write_tiff(file, {pixels});
    std::vector<int> methods;
    for (const MeasureEntry& measure : measure_registry()) methods.push_back(measure.code);
    const PixelDepth depth = bmp ? PixelDepth::u8 : PixelDepth::u16;

    ReadBuffer buffer;
    const OpenedImage opened{ImageLocation(file)};
    ASSERT_TRUE(opened.stored());
    std::vector<std::unique_ptr<BandedMeasure>> parts;
    for (int k = 0; k < split.team; ++k) {
        parts.push_back(std::make_unique<BandedMeasure>(methods, split.width, split.height, depth));
    }
    const TeamMeasurement team =
        measure_as_read_on_team(opened.file().fd(), *opened.stored(), std::move(parts), buffer);
    const ImageView whole{pixels.data, depth, pixels.cols, pixels.rows,
                          static_cast<std::ptrdiff_t>(pixels.step1())};
    EXPECT_TRUE(team.read);
    EXPECT_EQ(team.measurement.values,
              make_engine(EngineKind::cpu, 2)->measure(whole, methods).values);
}

INSTANTIATE_TEST_SUITE_P(
    Splits, LoneImageOnATeam,
    ::testing::Values(TeamSplit{"TwoPartsOfManyBandsBottomUp", 2, 2000, 600, CV_8U},
                      TeamSplit{"MorePartsThanRowsBottomUp", 7, 37, 5, CV_8U},
                      TeamSplit{"ThreePartsOfManyBandsTopDown", 3, 1500, 300, CV_16U}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
