// Image headers read without decoding: the size, channels and sample bytes of files OpenCV writes,
// and whether the opening finds the rows lying in the file.
#include "image_header.h"

#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "image_source.h"
#include "test_support.h"

namespace {

struct WrittenImage {
    const char* extension;
    int type;
    int channels_decoded;
    bool rows_in_file;  // OpenCV compresses TIFF with LZW
};

class ImageHeaders : public ::testing::TestWithParam<WrittenImage> {};

TEST_P(ImageHeaders, SayWhatTheWriterWrote) {
    const WrittenImage& written = GetParam();
    TemporaryFolder folder;
    const std::string file = folder.path() + "image" + written.extension;
    ASSERT_TRUE(cv::imwrite(file, cv::Mat(37, 53, written.type, cv::Scalar::all(7))));
    const std::optional<bestfocus::ImageHeader> header = bestfocus::read_image_header(file);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 53u);
    EXPECT_EQ(header->height, 37u);
    EXPECT_EQ(header->channels, written.channels_decoded);
    EXPECT_EQ(header->bytes_per_sample, static_cast<int>(CV_ELEM_SIZE1(written.type)));
    EXPECT_EQ(bestfocus::OpenedImage(file).stored().has_value(), written.rows_in_file);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageHeaders,
                         ::testing::Values(WrittenImage{".png", CV_16UC1, 1, false},
                                           WrittenImage{".jpg", CV_8UC3, 3, false},
                                           WrittenImage{".bmp", CV_8UC3, 3, true},
                                           WrittenImage{".tif", CV_16UC1, 1, false}),
                         [](const auto& info) { return std::string(info.param.extension + 1); });

}  // namespace
