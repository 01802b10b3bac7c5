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
    std::uint16_t fill_order = 1;   // FILLORDER_MSB2LSB; 2 reverses the bits of every byte
};

// Writes every matrix (8- or 16-bit unsigned, 1 or 3 channels) as one page; throws when libtiff
// refuses. Pages of 3 channels are RGB. 32-bit matrices (CV_32S) are written as unsigned.
// Page i gets descriptions[i] as its ImageDescription, when given.
void write_tiff(const std::string& path, const std::vector<cv::Mat>& pages,
                const TiffLayout& layout = {}, const std::vector<std::string>& descriptions = {});

// Sets the count of the first page's entry for `tag` (which it must have; no more values than it
// holds) and each of its values (SHORT or LONG), in a classic little-endian file ("w" here).
void patch_entry(const std::string& path, std::uint16_t tag, std::uint32_t count,
                 std::uint32_t value);

// Points the next-directory link of the file's last page at its first page: a loop.
void link_last_page_to_first(const std::string& path);
