// A stack mixing 8- and 16-bit images is refused whole before anything is written, whatever the
// outputs asked for: status 1, the folder and the first image of the other depth named.
#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

class MixedDepths : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(MixedDepths, AreRefusedBeforeAnyOutput) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    const std::string folder = stacks.path() + "001/";
    std::filesystem::create_directory(folder);
    for (int image = 1; image <= 3; ++image) {
        const bool sixteen = image == 3;
        const cv::Mat pixels = checkerboard(40, 30, sixteen ? CV_16U : CV_8U,
                                            cv::Scalar(sixteen ? 20000 : 20 * image));
        ASSERT_TRUE(cv::imwrite(folder + "0" + std::to_string(image) + ".png", pixels));
    }
    std::vector<std::string> arguments = GetParam();
    arguments.insert(arguments.begin(), "--image-names=%02d.png");
    arguments.insert(arguments.end(), {"3", stacks.path(), "1", "1", "3"});
    const ProgramRun run = run_program(BESTFOCUS_EXECUTABLE, arguments, work.path());
    EXPECT_EQ(run.exit_status, 1) << run.standard_error;
    EXPECT_NE(run.standard_error.find("the images of the folder " + folder +
                                      " mix 8- and 16-bit pixels: 01.png is 8-bit, 03.png 16-bit"),
              std::string::npos)
        << run.standard_error;
    EXPECT_EQ(folder_entries(work.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, MixedDepths,
    ::testing::Values(std::vector<std::string>{},
                      std::vector<std::string>{"--html=page.html", "--best-stack=best.tif"},
                      std::vector<std::string>{"--tiles=2x2", "--all-in-focus=focused",
                                               "--depth-map=depth"},
                      std::vector<std::string>{"--export-best=picks", "--scores=scores.csv"}));

}  // namespace
