// The BMP check before decoding: every file OpenCV writes and every sound variant passes, and
// each variant with one fault in its headers or codes is corrupt, wherever the file is cut.
#include "bmp_header_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "bmp_bytes.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

const unsigned char* data_of(const std::string& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.data());
}

// What the driver does: the first kBmpHeaderBytes, then the whole file when asked for it.
BmpCheck check_as_the_driver_reads(const std::string& file) {
    const std::size_t first = std::min(file.size(), kBmpHeaderBytes);
    const BmpCheck check = check_bmp_bytes(data_of(file), first, file.size());
    return check == BmpCheck::needs_whole_file
               ? check_bmp_bytes(data_of(file), file.size(), file.size())
               : check;
}

std::string encoded(const std::string& extension, const cv::Mat& image) {
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(cv::imencode(extension, image, bytes));
    return std::string(bytes.begin(), bytes.end());
}

TEST(BmpHeaderCheck, FilesOpenCVWritesAreSound) {
    // Widths 1 to 5 give every row padding; 8-bit gray and 24-bit colour.
    for (int width = 1; width <= 5; ++width) {
        for (const int type : {CV_8UC1, CV_8UC3}) {
            SCOPED_TRACE(std::to_string(width) + (type == CV_8UC1 ? " gray" : " colour"));
            const std::string file =
                encoded(".bmp", checkerboard(width, 3, type, cv::Scalar::all(200)));
            EXPECT_EQ(check_as_the_driver_reads(file), BmpCheck::sound);
            // Every row must be in the file: one byte less is a row cut short.
            EXPECT_EQ(check_as_the_driver_reads(file.substr(0, file.size() - 1)),
                      BmpCheck::corrupt);
        }
    }
}

TEST(BmpHeaderCheck, SoundVariantsPassAndDecodeToTheirPattern) {
    std::vector<unsigned char> pixels = variant_pattern();
    const cv::Mat pattern(kVariantHeight, kVariantWidth, CV_8U, pixels.data());
    for (const BmpVariant& variant : sound_bmp_variants()) {
        SCOPED_TRACE(variant.what);
        EXPECT_EQ(check_as_the_driver_reads(variant.bytes), BmpCheck::sound);
        const std::vector<unsigned char> bytes(variant.bytes.begin(), variant.bytes.end());
        const cv::Mat decoded = cv::imdecode(bytes, cv::IMREAD_GRAYSCALE);
        ASSERT_FALSE(decoded.empty());
        EXPECT_EQ(cv::norm(decoded, pattern, cv::NORM_INF), 0.0);
    }
}

TEST(BmpHeaderCheck, CorruptVariantsAreCorrupt) {
    for (const BmpVariant& variant : corrupt_bmp_variants()) {
        SCOPED_TRACE(variant.what);
        EXPECT_EQ(check_as_the_driver_reads(variant.bytes), BmpCheck::corrupt);
    }
}

TEST(BmpHeaderCheck, RunLengthCodesNeedTheWholeFile) {
    const std::string rle8 = sound_bmp_variants().back().bytes;
    EXPECT_EQ(check_bmp_bytes(data_of(rle8), kBmpHeaderBytes, rle8.size()),
              BmpCheck::needs_whole_file);
}

TEST(BmpHeaderCheck, OtherFormatsAreLeftToOpenCV) {
    const cv::Mat image = checkerboard(6, 4, CV_8U, cv::Scalar(90));
    for (const std::string& file :
         {encoded(".png", image), encoded(".tiff", image), std::string("B"), std::string()}) {
        EXPECT_EQ(check_as_the_driver_reads(file), BmpCheck::not_bmp);
    }
}

TEST(BmpHeaderCheck, FileOnDiskIsReadLikeTheBytes) {
    TemporaryFolder folder;
    const std::string sound = folder.path() + "sound.bmp";
    const std::string corrupt = folder.path() + "corrupt.bmp";
    write_file(sound, sound_bmp_variants().back().bytes);  // RLE8: read twice
    write_file(corrupt, corrupt_bmp_variants().back().bytes);
    EXPECT_FALSE(bmp_file_is_corrupt(sound));
    EXPECT_TRUE(bmp_file_is_corrupt(corrupt));
    EXPECT_FALSE(bmp_file_is_corrupt(folder.path() + "missing.bmp"));  // decoding will tell
}

}  // namespace
