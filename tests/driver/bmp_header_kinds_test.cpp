// Every reader of BMP header fields (the header check, the header read before decoding, our
// reader, the measuring behind them) against OpenCV's decoding, over every information header
// size, palettes and gaps before the pixels.
#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "bmp_bytes.h"
#include "bmp_header_check.h"
#include "image_header.h"
#include "test_support.h"

namespace {

struct HeaderKind {
    const char* what;
    int header_size;  // 12: the OS/2 header, 16-bit sizes and 3-byte palette entries
    int bits;
    int height;  // negative: top-down (not in the 12-byte header)
    int gap;     // bytes between the palette and the pixels
};

void PrintTo(const HeaderKind& kind, std::ostream* out) { *out << kind.what; }

constexpr int kWidth = 21;

std::string bmp_of_kind(const HeaderKind& kind) {
    const bool core = kind.header_size == 12;
    const int entry_bytes = core ? 3 : 4;
    const int entries = kind.bits == 8 ? 256 : 0;
    const std::size_t offset = 14 + kind.header_size + entries * entry_bytes + kind.gap;
    const int pitch = (kWidth * kind.bits / 8 + 3) / 4 * 4;
    std::string bytes(offset + static_cast<std::size_t>(pitch) * std::abs(kind.height), '\0');
    cv::RNG random(static_cast<std::uint64_t>(kind.header_size * 31 + kind.bits + kind.gap));
    for (std::size_t i = offset; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(random.uniform(0, 256));
    }
    for (int i = 0; i < entries; ++i) {  // a palette of colours: not the identity
        for (int channel = 0; channel < entry_bytes; ++channel) {
            bytes[14 + kind.header_size + i * entry_bytes + channel] =
                static_cast<char>((i * (channel + 3)) & 0xFF);
        }
    }
    bytes[0] = 'B';
    bytes[1] = 'M';
    set_little_endian(bytes, 2, bytes.size(), 4);
    set_little_endian(bytes, kPixelOffsetField, offset, 4);
    set_little_endian(bytes, kHeaderSizeField, static_cast<std::uint64_t>(kind.header_size), 4);
    const int field_bytes = core ? 2 : 4;
    set_little_endian(bytes, 18, kWidth, field_bytes);
    set_little_endian(bytes, 18 + field_bytes, static_cast<std::uint32_t>(kind.height),
                      field_bytes);
    set_little_endian(bytes, 18 + 2 * field_bytes, 1, 2);          // planes
    set_little_endian(bytes, 20 + 2 * field_bytes, kind.bits, 2);  // bits per pixel
    return bytes;
}

class BmpHeaderKinds : public ::testing::TestWithParam<HeaderKind> {};

TEST_P(BmpHeaderKinds, AreReadAsOpenCvDecodesThem) {
    TemporaryFolder folder;
    const std::string file = folder.path() + "image.bmp";
    const std::string bytes = bmp_of_kind(GetParam());
    write_file(file, bytes);
    const cv::Mat opencv = cv::imread(file, cv::IMREAD_UNCHANGED);
    ASSERT_FALSE(opencv.empty());

    const auto* start = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(bestfocus::check_bmp_bytes(start, bytes.size(), bytes.size()),
              bestfocus::BmpCheck::sound);
    const std::optional<bestfocus::ImageHeader> header = bestfocus::read_image_header(file);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, static_cast<std::uint64_t>(opencv.cols));
    EXPECT_EQ(header->height, static_cast<std::uint64_t>(opencv.rows));

    const ValuesBothWays values = values_read_and_decoded(file);
    ASSERT_FALSE(values.as_read.empty());
    EXPECT_EQ(values.as_read, values.of_opencv_pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BmpHeaderKinds,
    ::testing::Values(HeaderKind{"Core8", 12, 8, 9, 0}, HeaderKind{"Core8Gap", 12, 8, 9, 7},
                      HeaderKind{"Core24", 12, 24, 9, 0}, HeaderKind{"Core24Gap", 12, 24, 9, 5},
                      HeaderKind{"Info8Gap", 40, 8, 9, 6},
                      HeaderKind{"Info24TopDown", 40, 24, -9, 0},
                      HeaderKind{"V4_8TopDown", 108, 8, -9, 0},
                      HeaderKind{"V4_24Gap", 108, 24, 9, 3}, HeaderKind{"V5_8Gap", 124, 8, 9, 2},
                      HeaderKind{"V5_24TopDown", 124, 24, -9, 0}),
    [](const ::testing::TestParamInfo<HeaderKind>& info) { return info.param.what; });

}  // namespace
