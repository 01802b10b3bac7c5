// Image headers read without decoding: the size, channels and sample bytes of files OpenCV writes.
#include "image_header.h"

#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "test_support.h"

namespace {

struct WrittenImage {
    const char* extension;
    int type;
    int channels_decoded;
    bool rows_uncompressed;  // OpenCV compresses TIFF with LZW
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
    EXPECT_EQ(header->rows_uncompressed, written.rows_uncompressed);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageHeaders,
                         ::testing::Values(WrittenImage{".png", CV_16UC1, 1, false},
                                           WrittenImage{".jpg", CV_8UC3, 3, false},
                                           WrittenImage{".bmp", CV_8UC3, 3, true},
                                           WrittenImage{".tif", CV_16UC1, 1, false}),
                         [](const auto& info) { return std::string(info.param.extension + 1); });

}  // namespace
