#include "tiff_pages.h"

#include <tiffio.h>

#include <climits>

#include "tiff_open.h"

namespace bestfocus {

TiffPageIndex index_tiff_pages(const std::string& file) {
    TiffPageIndex index;
    const TiffHandle handle = open_tiff(file);
    if (!handle) {
        index.damaged = true;
        return index;
    }
    for (;;) {
        const std::uint64_t directory = TIFFCurrentDirOffset(handle.get());
        index.directory_offsets.push_back(directory);
        // libtiff ends the chain, with a warning, at a link past the end of the file or back to a
        // directory seen before: the link the file stores tells a true end (0) from a break.
        if (TIFFLastDirectory(handle.get())) {
            index.damaged = stored_next_directory(handle.get(), directory) != std::uint64_t{0};
            return index;
        }
        // libtiff refuses a next directory whose entries do not fit the file.
        if (!TIFFReadDirectory(handle.get()) || index.directory_offsets.size() == INT_MAX) {
            index.damaged = true;
            return index;
        }
    }
}

namespace {

// OpenCV's limits on what it decodes (imgcodecs' CV_IO_MAX_IMAGE_WIDTH, _HEIGHT and _PIXELS):
// larger pages are left to OpenCV, which refuses them.
constexpr std::uint32_t kMaxSide = 1u << 20;
constexpr std::uint64_t kMaxPixels = 1ull << 30;
// OpenCV refuses a strip whose decoding buffer (4 bytes a pixel for 8-bit pages, read as RGBA)
// reaches about 1 GiB, unless it is the only strip; such pages are left to it as well.
constexpr std::uint64_t kMaxOpenCvStripBytes = (1ull << 30) * 95 / 100;

bool lossless_codec(std::uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
        case COMPRESSION_LZW:
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
        case COMPRESSION_PACKBITS: return true;
        default: return false;
    }
}

struct GrayStrips {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t rows_per_strip = 0;
    int depth = CV_8U;
};

// The page's layout when it is of the kind read here.
std::optional<GrayStrips> gray_strips(TIFF* page) {
    std::uint16_t photometric = 0;
    std::uint16_t samples = 0;
    std::uint16_t bits = 0;
    std::uint16_t format = 0;
    std::uint16_t orientation = 0;
    std::uint16_t compression = 0;
    GrayStrips strips;
    if (TIFFIsTiled(page) || !TIFFGetField(page, TIFFTAG_PHOTOMETRIC, &photometric) ||
        photometric != PHOTOMETRIC_MINISBLACK ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_SAMPLESPERPIXEL, &samples) || samples != 1 ||
        !TIFFGetField(page, TIFFTAG_BITSPERSAMPLE, &bits) || (bits != 8 && bits != 16) ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_SAMPLEFORMAT, &format) ||
        format != SAMPLEFORMAT_UINT ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_ORIENTATION, &orientation) ||
        orientation != ORIENTATION_TOPLEFT ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_COMPRESSION, &compression) ||
        !lossless_codec(compression) || !TIFFGetField(page, TIFFTAG_IMAGEWIDTH, &strips.width) ||
        !TIFFGetField(page, TIFFTAG_IMAGELENGTH, &strips.height) ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_ROWSPERSTRIP, &strips.rows_per_strip)) {
        return std::nullopt;
    }
    if (strips.width == 0 || strips.height == 0 || strips.width > kMaxSide ||
        strips.height > kMaxSide ||
        static_cast<std::uint64_t>(strips.width) * strips.height > kMaxPixels) {
        return std::nullopt;
    }
    strips.rows_per_strip = std::min(std::max(strips.rows_per_strip, 1u), strips.height);
    strips.depth = bits == 8 ? CV_8U : CV_16U;
    const std::uint64_t opencv_strip_bytes =
        static_cast<std::uint64_t>(strips.rows_per_strip) * strips.width * (bits == 8 ? 4 : 2);
    if (opencv_strip_bytes >= kMaxOpenCvStripBytes && strips.rows_per_strip != strips.height) {
        return std::nullopt;
    }
    return strips;
}

// Every strip decoded in place, each exactly as long as its rows; false when one is not.
bool read_strips(TIFF* page, const GrayStrips& strips, cv::Mat* pixels) {
    const std::uint32_t count = (strips.height - 1) / strips.rows_per_strip + 1;
    if (TIFFNumberOfStrips(page) != count) return false;
    const std::size_t row_bytes = pixels->step[0];
    for (std::uint32_t strip = 0; strip < count; ++strip) {
        const std::uint32_t first_row = strip * strips.rows_per_strip;
        const std::uint32_t rows = std::min(strips.rows_per_strip, strips.height - first_row);
        const tmsize_t bytes = static_cast<tmsize_t>(rows * row_bytes);
        if (TIFFReadEncodedStrip(page, strip, pixels->ptr(static_cast<int>(first_row)), bytes) !=
            bytes) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<cv::Mat> read_gray_tiff_page(const std::string& file,
                                           std::uint64_t directory_offset) {
    const TiffHandle page =
        directory_offset == 0 ? open_tiff(file) : open_tiff_at(file, directory_offset);
    if (!page) {
        return cv::Mat();
    }
    const std::optional<GrayStrips> strips = gray_strips(page.get());
    if (!strips) {
        return std::nullopt;
    }
    cv::Mat pixels(static_cast<int>(strips->height), static_cast<int>(strips->width),
                   strips->depth);
    if (!read_strips(page.get(), *strips, &pixels)) {
        return cv::Mat();
    }
    return pixels;
}

}  // namespace bestfocus
