// What an image file says of its pixels before any of them is decoded: its size, its channels and
// their depth, from the header alone, so that the memory decoding it takes is known beforehand (a
// small file may decode to gigabytes).
#pragma once

#include <cstdint>
#include <optional>

#include "image_location.h"

namespace bestfocus {

struct ImageHeader {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    int channels = 1;          // as decoded before any conversion to gray
    int bytes_per_sample = 1;  // 2 for 16-bit samples
    // The rows lie in the file uncompressed, of a kind our readers measure a band at a time (an 8-,
    // 24- or 32-bit BMP without run-length codes, a gray TIFF page in strips without compression).
    bool rows_uncompressed = false;
};

// The header of a PNG, JPEG, BMP or TIFF file (for a page of a multi-page file, that page's);
// nothing for other formats and for headers that cannot be read.
std::optional<ImageHeader> read_image_header(const ImageLocation& image);

}  // namespace bestfocus
