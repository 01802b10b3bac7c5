// What an image file says of its pixels before any of them is decoded: its size, its channels and
// their depth, from the header alone, so that the memory decoding it takes is known beforehand (a
// small file may decode to gigabytes).
#pragma once

#include <cstdint>
#include <optional>

#include "image_location.h"
#include "open_file.h"

struct tiff;  // libtiff's TIFF

namespace bestfocus {

struct ImageHeader {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    int channels = 1;          // as decoded before any conversion to gray
    int bytes_per_sample = 1;  // 2 for 16-bit samples
};

// The header of a PNG, JPEG, BMP or TIFF file (for a page of a multi-page file, that page's),
// read from the file the caller opened; nothing for other formats and for headers that cannot be
// read.
std::optional<ImageHeader> read_image_header(const OpenFile& file, const ImageLocation& image);
// The same, opening the file by its path.
std::optional<ImageHeader> read_image_header(const ImageLocation& image);

// What the directory a libtiff handle has read says of its page.
std::optional<ImageHeader> tiff_page_header(tiff* page);

}  // namespace bestfocus
