// A run's lone image measured as it is read by a team of threads: its parts give the whole image's
// values, whatever the team and whichever way the file keeps its rows; and a run of one image far
// larger than the memory the process may take is measured all the same.
#include <gtest/gtest.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "bmp_bytes.h"
#include "image_source.h"
#include "measure_as_read.h"
#include "measure_registry.h"
#include "test_support.h"
#include "tiff_files.h"

namespace {

using namespace bestfocus;

struct TeamSplit {
    const char* what;
    int team;
    int width;  // 256 KiB a band: wide images give each part several
    int height;
    int type;  // CV_8U: a bottom-up BMP; CV_16U: a TIFF, top row first
};

class LoneImageOnATeam : public ::testing::TestWithParam<TeamSplit> {};

TEST_P(LoneImageOnATeam, GivesTheWholeImagesValues) {
    const TeamSplit& split = GetParam();
    TemporaryFolder folder;
    cv::Mat pixels(split.height, split.width, split.type);
    cv::randu(pixels, 0, split.type == CV_8U ? 256 : 65536);
    const std::string file = folder.path() + (split.type == CV_8U ? "image.bmp" : "image.tif");
    if (split.type == CV_8U) {
        ASSERT_TRUE(cv::imwrite(file, pixels));
    } else {
        write_tiff(file, {pixels});
    }
    std::vector<int> methods;
    for (const MeasureEntry& measure : measure_registry()) methods.push_back(measure.code);
    const PixelDepth depth = split.type == CV_8U ? PixelDepth::u8 : PixelDepth::u16;

    ReadBuffer buffer;
    OpenedImage opened = open_image(ImageLocation(file), buffer);
    ASSERT_TRUE(opened.stored);
    std::vector<std::unique_ptr<BandedMeasure>> parts;
    for (int k = 0; k < split.team; ++k) {
        parts.push_back(std::make_unique<BandedMeasure>(methods, split.width, split.height, depth));
    }
    const TeamMeasurement team =
        measure_as_read_on_team(opened.file.fd(), *opened.stored, std::move(parts), buffer);
    ASSERT_TRUE(team.read);

    const ImageView whole{pixels.data, depth, pixels.cols, pixels.rows,
                          static_cast<std::ptrdiff_t>(pixels.step1())};
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
