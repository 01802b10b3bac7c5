// Our BMP reader against OpenCV's decoder: the same bytes for every file it takes (palettes of
// gray and of colours, short palettes, odd widths, both row orders, 24 and 32 bits converted to
// gray, every information header it reads), and the files it takes are really read by it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>
#include <string>

#include "bmp_bytes.h"
#include "bmp_reader.h"
#include "image_source.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

enum class Palette { none, gray_ramp, colours, seventeen_colours };

struct BmpKind {
    const char* what;
    int bits;
    int width;
    int height;  // negative: top-down
    int header_size;
    Palette palette;
};

void PrintTo(const BmpKind& kind, std::ostream* out) { *out << kind.what; }

// A BMP file of random pixels written field by field: OpenCV's writer makes only gray-ramp 8-bit
// and 24-bit bottom-up files.
std::string random_bmp(const BmpKind& kind) {
    cv::RNG random(static_cast<std::uint64_t>(kind.width * 131 + kind.height * 7 + kind.bits));
    const int entries = kind.palette == Palette::none                ? 0
                        : kind.palette == Palette::seventeen_colours ? 17
                                                                     : 256;
    std::string palette;
    for (int i = 0; i < entries; ++i) {
        const bool gray = kind.palette == Palette::gray_ramp;
        for (int channel = 0; channel < 3; ++channel) {
            palette += static_cast<char>(gray ? i : random.uniform(0, 256));
        }
        palette += static_cast<char>(random.uniform(0, 256));  // reserved, ignored
    }
    const int rows = std::abs(kind.height);
    const int pitch = (kind.width * kind.bits / 8 + 3) / 4 * 4;
    std::string pixels(static_cast<std::size_t>(pitch) * rows, '\0');
    for (char& byte : pixels) byte = static_cast<char>(random.uniform(0, 256));
    const std::size_t offset = 14 + static_cast<std::size_t>(kind.header_size) + palette.size();
    std::string bytes(offset, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    set_little_endian(bytes, 2, offset + pixels.size(), 4);
    set_little_endian(bytes, kPixelOffsetField, offset, 4);
    set_little_endian(bytes, kHeaderSizeField, static_cast<std::uint64_t>(kind.header_size), 4);
    set_little_endian(bytes, kWidthField, static_cast<std::uint64_t>(kind.width), 4);
    set_little_endian(bytes, kHeightField, static_cast<std::uint32_t>(kind.height), 4);
    set_little_endian(bytes, kPlanesField, 1, 2);
    set_little_endian(bytes, kBitsPerPixelField, static_cast<std::uint64_t>(kind.bits), 2);
    set_little_endian(bytes, kColoursUsedField, entries == 256 ? 0 : entries, 4);
    bytes.replace(14 + static_cast<std::size_t>(kind.header_size), palette.size(), palette);
    return bytes + pixels;
}

class OwnBmpReader : public ::testing::TestWithParam<BmpKind> {
  protected:
    TemporaryFolder folder_;
};

TEST_P(OwnBmpReader, GivesOpenCvsPixels) {
    const std::string file = folder_.path() + "image.bmp";
    write_file(file, random_bmp(GetParam()));
    const cv::Mat opencv = cv::imread(file, cv::IMREAD_ANYDEPTH);
    ASSERT_FALSE(opencv.empty());

    ReadBuffer buffer;
    const int fd = open(file.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    const OwnRead own = read_own_bmp(fd, read_file(file).size(), buffer);
    close(fd);
    ASSERT_EQ(own.outcome, OwnRead::Outcome::read);
    EXPECT_EQ(own.view.height, opencv.rows);
    EXPECT_EQ(own.view.row_stride<0, GetParam().height> 0);  // bottom-up: measured in place

    const cv::Mat ours = decode_at_depth(ImageLocation(file));
    ASSERT_EQ(ours.type(), opencv.type());
    ASSERT_EQ(ours.size(), opencv.size());
    EXPECT_EQ(cv::norm(ours, opencv, cv::NORM_INF), 0);
}

// Measured as it is read: the values of OpenCV's pixels, also for images of many bands.
TEST_P(OwnBmpReader, MeasuredAsReadGivesTheValuesOfOpenCvsPixels) {
    const std::string file = folder_.path() + "image.bmp";
    write_file(file, random_bmp(GetParam()));
    const ValuesBothWays values = values_read_and_decoded(file);
    ASSERT_FALSE(values.as_read.empty());
    EXPECT_EQ(values.as_read, values.of_opencv_pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, OwnBmpReader,
    ::testing::Values(BmpKind{"GrayRampOddWidth", 8, 13, 9, 40, Palette::gray_ramp},
                      BmpKind{"GrayRampTopDown", 8, 6, -5, 40, Palette::gray_ramp},
                      BmpKind{"ColourPalette", 8, 31, 4, 40, Palette::colours},
                      BmpKind{"ColourPaletteTopDownV5", 8, 7, -3, 124, Palette::colours},
                      BmpKind{"ShortPalette", 8, 5, 6, 108, Palette::seventeen_colours},
                      BmpKind{"TwentyFourBitsOddWidth", 24, 11, 7, 40, Palette::none},
                      BmpKind{"TwentyFourBitsTopDown", 24, 4, -6, 56, Palette::none},
                      BmpKind{"ThirtyTwoBits", 32, 9, 5, 40, Palette::none},
                      BmpKind{"ThirtyTwoBitsTopDownV4", 32, 3, -8, 108, Palette::none},
                      // Several bands of rows each.
                      BmpKind{"GrayRampManyBands", 8, 1031, 700, 40, Palette::gray_ramp},
                      BmpKind{"ColourPaletteManyBandsTopDown", 8, 1001, -600, 40, Palette::colours},
                      BmpKind{"TwentyFourBitsManyBands", 24, 999, 300, 40, Palette::none}),
    [](const ::testing::TestParamInfo<BmpKind>& info) { return info.param.what; });

}  // namespace
