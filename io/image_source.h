// Where an image of a stack is read from: a file of its own, or one page of a multi-page file.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <string>
#include <utility>
#include <vector>

struct ImageLocation {
    // Not explicit: a path alone is the location of a file of one image.
    ImageLocation(std::string file_path, int page_index = -1, std::uint64_t page_directory = 0)
        : file(std::move(file_path)), page(page_index), directory(page_directory) {}

    std::string file;
    int page = -1;  // 0-based page of a multi-page file; -1: the file is the image
    // Where the page's directory begins in a TIFF file, when known (0: found from the page).
    std::uint64_t directory = 0;
};

// The file, or "<file> (page N)" with N counted from 1, for messages.
std::string described(const ImageLocation& image);

// The image as one gray channel at the depth it is stored in (colour converted to gray at that
// depth): CV_8U for 8-bit files, CV_16U for 16-bit ones, whatever OpenCV gives for others. An
// empty matrix when the file is not a regular file, its BMP headers do not fit it (see
// bmp_header_check.h), the page is not there, or OpenCV cannot decode it.
cv::Mat decode_at_depth(const ImageLocation& image);

// The image as 8-bit gray for showing it: 16-bit images scaled by 255 / 65535, so their full range
// maps onto the 8-bit one. Empty as decode_at_depth, and for depths other than 8 and 16 bits.
cv::Mat decode_for_display(const ImageLocation& image);

namespace bestfocus {

// The pages of a file that is a stack.
struct FilePages {
    int count = 0;         // 1 for a file of one image, 0 when it cannot be decoded
    bool damaged = false;  // a TIFF whose chain of directories breaks before its end
    // TIFF files: where each page's directory begins, so that a page is reached directly.
    std::vector<std::uint64_t> directories;
};

// Counts the pages of the file, walking a TIFF's directories once.
FilePages pages_of(const std::string& file);

}  // namespace bestfocus

// A name for the depth of a matrix ("32-bit float"), for messages.
std::string depth_name(int depth);
