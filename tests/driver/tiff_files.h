// TIFF files written with libtiff for the tests, in layouts OpenCV's writer never produces (big
// endian, BigTIFF, several rows a strip, other codecs), and damaged ones.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

struct TiffLayout {
    const char* mode = "w";  // libtiff's: "w" native order, "wl", "wb" big endian, "w8" BigTIFF
    std::uint32_t rows_per_strip = 1;
    std::uint16_t compression = 1;  // COMPRESSION_NONE
    std::uint32_t tile_side = 0;    // square tiles of this side (a multiple of 16); 0: strips
};

// Writes every matrix (8- or 16-bit unsigned, 1 or 3 channels) as one page; throws when libtiff
// refuses. Pages of 3 channels are RGB. 32-bit matrices (CV_32S) are written as unsigned.
void write_tiff(const std::string& path, const std::vector<cv::Mat>& pages,
                const TiffLayout& layout = {});

// Points the next-directory link of the file's last page at its first page: a loop.
void link_last_page_to_first(const std::string& path);
