// An image read through its one opening: a file replaced at its path after it is opened is still
// read as it was opened, by every reader (rows where they lie, a TIFF page decoded by libtiff,
// OpenCV's decoders).
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <opencv2/imgcodecs.hpp>

#include "image_source.h"
#include "test_support.h"
#include "tiff_files.h"

using namespace bestfocus;

namespace {

struct Written {
    const char* what;
    const char* extension;
    int type;
    std::uint16_t tiff_compression;  // written by libtiff with it; 0: by OpenCV
};

void write(const Written& written, const std::string& file, const cv::Mat& pixels) {
    if (written.tiff_compression == 0) {
        ASSERT_TRUE(cv::imwrite(file, pixels));
    } else {
        TiffLayout layout;
        layout.compression = written.tiff_compression;
        write_tiff(file, {pixels}, layout);
    }
}

void PrintTo(const Written& written, std::ostream* out) { *out << written.what; }

class OpenedImages : public ::testing::TestWithParam<Written> {};

TEST_P(OpenedImages, ReadTheFileOpenedNotItsReplacement) {
    const Written& written = GetParam();
    TemporaryFolder folder;
    const std::string file = folder.path() + "image" + written.extension;
    const std::string other = folder.path() + "other" + written.extension;
    const cv::Mat first = checkerboard(40, 30, written.type, cv::Scalar::all(200));
    write(written, file, first);
    write(written, other, cv::Mat(30, 40, written.type, cv::Scalar::all(9)));

    ReadBuffer buffer;
    const OpenedImage opened{ImageLocation(file)};
    ASSERT_EQ(std::rename(other.c_str(), file.c_str()), 0);
    const ReadImage read = opened.read_whole(buffer);

    ASSERT_TRUE(read.read);
    cv::Mat pixels(read.view.height, read.view.width, written.type);
    for (int y = 0; y < pixels.rows; ++y) {  // a bottom-up BMP's rows go up in memory
        const auto* row = static_cast<const unsigned char*>(read.view.pixels) +
                          y * read.view.row_stride * static_cast<std::ptrdiff_t>(first.elemSize());
        std::copy(row, row + pixels.cols * first.elemSize(), pixels.ptr(y));
    }
    EXPECT_EQ(cv::norm(pixels, first, cv::NORM_INF), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, OpenedImages,
    ::testing::Values(Written{"BmpRowsInTheFile", ".bmp", CV_8U, 0},
                      Written{"TiffRowsInTheFile", ".tif", CV_16U, COMPRESSION_NONE},
                      Written{"TiffPageDecoded", ".tif", CV_16U, COMPRESSION_LZW},
                      Written{"PngByOpenCv", ".png", CV_16U, 0}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
