// TIFF pages read through libtiff: the same pixels as OpenCV's decode in every layout the reader
// takes (both byte orders, BigTIFF, strips of several rows, tiles, lossless codecs, 8 and 16
// bits), the
// pages it leaves to OpenCV still read, and damaged chains of pages refused.
#include "tiff_pages.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "image_source.h"
#include "test_support.h"
#include "tiff_files.h"

using namespace bestfocus;

namespace {

struct PageLayout {
    const char* what;
    int type;
    int width;
    TiffLayout tiff;
    int height = 7;
};

void PrintTo(const PageLayout& layout, std::ostream* out) { *out << layout.what; }

std::vector<cv::Mat> random_pages(int count, int width, int type, int height = 7) {
    std::vector<cv::Mat> pages;
    cv::RNG generator(static_cast<std::uint64_t>(width) * 31 + static_cast<std::uint64_t>(type));
    for (int page = 0; page < count; ++page) {
        pages.emplace_back(height, width, type);
        generator.fill(pages.back(), cv::RNG::UNIFORM, 0,
                       CV_MAT_DEPTH(type) == CV_8U ? 256 : 65536);
    }
    return pages;
}

bool same_pixels(const cv::Mat& a, const cv::Mat& b) {
    return a.type() == b.type() && a.size() == b.size() && cv::norm(a, b, cv::NORM_INF) == 0;
}

class TiffPageLayouts : public ::testing::TestWithParam<PageLayout> {
  protected:
    TemporaryFolder folder_;
};

TEST_P(TiffPageLayouts, DecodeAsOpenCvDoes) {
    const PageLayout& layout = GetParam();
    const std::string file = folder_.path() + "stack.tif";
    write_tiff(file, random_pages(3, layout.width, layout.type, layout.height), layout.tiff);

    const bestfocus::FilePages pages = bestfocus::pages_of(file);
    ASSERT_FALSE(pages.damaged);
    ASSERT_EQ(pages.count, 3);
    ASSERT_EQ(pages.directories.size(), 3u);
    const bool ours = CV_MAT_CN(layout.type) == 1;
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        std::vector<cv::Mat> opencv;
        ASSERT_TRUE(cv::imreadmulti(file, opencv, page, 1, cv::IMREAD_ANYDEPTH));
        const std::uint64_t directory = pages.directories[static_cast<std::size_t>(page)];
        bestfocus::ReadBuffer buffer;
        EXPECT_EQ(bestfocus::read_gray_tiff_page(file, directory, buffer).outcome ==
                      bestfocus::OwnRead::Outcome::read,
                  ours);
        EXPECT_TRUE(same_pixels(decode_at_depth(ImageLocation(file, page, directory)), opencv[0]));
        // Without the directory found beforehand, the page is found from its number.
        EXPECT_TRUE(same_pixels(decode_at_depth(ImageLocation(file, page)), opencv[0]));
    }
    EXPECT_TRUE(
        same_pixels(decode_at_depth(ImageLocation(file)), cv::imread(file, cv::IMREAD_ANYDEPTH)));
    // Measured as it is read: the values of OpenCV's pixels.
    const ValuesBothWays values = values_read_and_decoded(file, 2);
    ASSERT_FALSE(values.as_read.empty());
    EXPECT_EQ(values.as_read, values.of_opencv_pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TiffPageLayouts,
    ::testing::Values(
        PageLayout{"EightBitsRowByRow", CV_8U, 13, {"w", 1, COMPRESSION_NONE}},
        PageLayout{"SixteenBitsBigEndian", CV_16U, 13, {"wb", 3, COMPRESSION_NONE}},
        PageLayout{"SixteenBitsOneStrip", CV_16U, 10, {"wl", 7, COMPRESSION_NONE}},
        PageLayout{"EightBitsBigTiff", CV_8U, 9, {"w8", 2, COMPRESSION_NONE}},
        PageLayout{"SixteenBitsBigTiffBigEndian", CV_16U, 9, {"w8b", 4, COMPRESSION_NONE}},
        PageLayout{"EightBitsLzw", CV_8U, 11, {"w", 3, COMPRESSION_LZW}},
        PageLayout{"SixteenBitsDeflate", CV_16U, 11, {"w", 5, COMPRESSION_ADOBE_DEFLATE}},
        PageLayout{"EightBitsPackBits", CV_8U, 11, {"w", 2, COMPRESSION_PACKBITS}},
        PageLayout{"EightBitsTiles", CV_8U, 45, {"w", 1, COMPRESSION_NONE, 16}, 37},
        PageLayout{"SixteenBitsTilesBigEndian", CV_16U, 33, {"wb", 1, COMPRESSION_NONE, 16}, 50},
        PageLayout{"SixteenBitsTilesLzw", CV_16U, 32, {"w", 1, COMPRESSION_LZW, 16}, 16},
        // Several bands of rows each.
        PageLayout{"EightBitsManyBands", CV_8U, 1100, {"w", 16, COMPRESSION_NONE}, 400},
        PageLayout{"SixteenBitsBigEndianManyBands", CV_16U, 701, {"wb", 3, COMPRESSION_NONE}, 300},
        // Left to OpenCV, which converts colour to gray.
        PageLayout{"ColourLeftToOpenCv", CV_8UC3, 8, {"w", 2, COMPRESSION_NONE}}),
    [](const ::testing::TestParamInfo<PageLayout>& info) { return info.param.what; });

struct Damage {
    const char* what;
    void (*make)(const std::string& file);
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.what; }

void cut_in_half(const std::string& file) {
    std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
}

void loop_back(const std::string& file) { link_last_page_to_first(file); }

class DamagedChains : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedChains, AreDamagedWhateverPagesTheyStillHold) {
    TemporaryFolder folder;
    const std::string file = folder.path() + "stack.tif";
    write_tiff(file, random_pages(34, 16, CV_16U), {"w", 16, COMPRESSION_NONE});
    GetParam().make(file);
    const bestfocus::FilePages pages = bestfocus::pages_of(file);
    EXPECT_TRUE(pages.damaged);
    EXPECT_EQ(pages.count, 0);
}

INSTANTIATE_TEST_SUITE_P(Chains, DamagedChains,
                         ::testing::Values(Damage{"CutInHalf", cut_in_half},
                                           Damage{"LastPageLinksToTheFirst", loop_back}),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                             return info.param.what;
                         });

}  // namespace
