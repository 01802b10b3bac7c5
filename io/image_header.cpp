#include "image_header.h"

#include <tiffio.h>

#include <array>
#include <cstring>

#include "bmp_fields.h"
#include "bmp_header_check.h"
#include "file_reads.h"
#include "open_file.h"
#include "tiff_open.h"

namespace bestfocus {

namespace {

std::uint64_t big_endian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

// IHDR, the first chunk: width, height, bit depth, colour type.
std::optional<ImageHeader> png_header(const unsigned char* start) {
    ImageHeader header;
    header.width = big_endian(start + 16, 4);
    header.height = big_endian(start + 20, 4);
    header.bytes_per_sample = start[24] == 16 ? 2 : 1;
    switch (start[25]) {
        case 0: header.channels = 1; break;
        case 4: header.channels = 2; break;
        case 6: header.channels = 4; break;
        default: header.channels = 3;  // RGB, or a palette decoded to RGB
    }
    return header;
}

// The first start-of-frame segment: precision, height, width, components.
std::optional<ImageHeader> jpeg_header(int fd, std::uint64_t size) {
    std::uint64_t at = 2;
    unsigned char segment[6];
    while (at + 4 <= size && read_exactly(fd, segment, 4, at)) {
        if (segment[0] != 0xFF) return std::nullopt;
        const unsigned marker = segment[1];
        if (marker == 0xFF) {  // a fill byte before the marker
            ++at;
            continue;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (!read_exactly(fd, segment, sizeof segment, at + 4)) return std::nullopt;
            ImageHeader header;
            header.bytes_per_sample = segment[0] > 8 ? 2 : 1;
            header.height = big_endian(segment + 1, 2);
            header.width = big_endian(segment + 3, 2);
            header.channels = segment[5];
            return header;
        }
        at += 2 + big_endian(segment + 2, 2);
    }
    return std::nullopt;
}

std::optional<ImageHeader> bmp_header(const unsigned char* start, std::size_t length) {
    const std::optional<BmpFields> fields = read_bmp_fields(start, length);
    if (!fields) return std::nullopt;
    ImageHeader header;
    header.width = static_cast<std::uint64_t>(fields->width < 0 ? -fields->width : fields->width);
    header.height = fields->rows();
    const std::uint32_t bits = fields->bits_per_pixel;
    // Our reader maps an uncompressed 8-bit palette to gray; other palettes may decode to colour.
    const bool gray_palette =
        bits == 8 && fields->header_size != kBmpCoreHeaderBytes &&
        (fields->compression == kBmpUncompressed || fields->compression == kBmpBitFields);
    header.channels = bits > 8 ? static_cast<int>(bits / 8) : gray_palette ? 1 : 3;
    return header;
}

std::optional<ImageHeader> tiff_header(const OpenFile& file, const ImageLocation& image) {
    const TiffHandle tiff = open_tiff_at(file, image.file, image.directory);
    if (!tiff) return std::nullopt;
    for (int page = 0; page < image.page && image.directory == 0; ++page) {
        if (!TIFFReadDirectory(tiff.get())) return std::nullopt;
    }
    return tiff_page_header(tiff.get());
}

}  // namespace

std::optional<ImageHeader> tiff_page_header(tiff* page) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t samples = 1;
    std::uint16_t bits = 8;
    if (!TIFFGetField(page, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(page, TIFFTAG_IMAGELENGTH, &height)) {
        return std::nullopt;
    }
    TIFFGetFieldDefaulted(page, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(page, TIFFTAG_BITSPERSAMPLE, &bits);
    ImageHeader header;
    header.width = width;
    header.height = height;
    header.channels = samples;
    header.bytes_per_sample = bits > 8 ? (bits + 7) / 8 : 1;
    return header;
}

std::optional<ImageHeader> read_image_header(const OpenFile& file, const ImageLocation& image) {
    // The fields read below: a PNG's IHDR ends at byte 26; a BMP's headers at byte 138 at most.
    constexpr long long kPngStart = 26;
    std::array<unsigned char, kBmpHeaderBytes> start{};
    const long long got = file.fd() < 0 ? -1 : read_up_to(file.fd(), start.data(), start.size(), 0);
    if (got >= kPngStart && std::memcmp(start.data(), "\x89PNG\r\n\x1a\n", 8) == 0 &&
        std::memcmp(start.data() + 12, "IHDR", 4) == 0) {
        return png_header(start.data());
    }
    if (got >= 2 && start[0] == 0xFF && start[1] == 0xD8) {
        return jpeg_header(file.fd(), file.size());
    }
    if (got >= 2 && start[0] == 'B' && start[1] == 'M') {
        return bmp_header(start.data(), static_cast<std::size_t>(got));
    }
    if (got >= 2 && has_tiff_signature(file.fd())) {
        return tiff_header(file, image);
    }
    return std::nullopt;
}

std::optional<ImageHeader> read_image_header(const ImageLocation& image) {
    return read_image_header(OpenFile(image.file), image);
}

}  // namespace bestfocus
