// Gray images as the bytes of a TIFF file, written with libtiff: the form the picks are exported
// in.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace bestfocus {

// One page: an 8- or 16-bit gray image (or a map of 32-bit floats, written only) and the text of
// its ImageDescription tag.
struct TiffPage {
    cv::Mat image;  // CV_8UC1, CV_16UC1 (or CV_32FC1, written only)
    std::string description;
};

// The bytes of a TIFF file holding the pages in order, uncompressed, each at its own depth; false
// with *problem set when a page is not 8- or 16-bit gray (or 32-bit float) or libtiff fails.
bool tiff_file_bytes(const std::vector<TiffPage>& pages, std::string* bytes, std::string* problem);

// A single-page TIFF of a width x height page of one channel of `type` (CV_8UC1, CV_16UC1 or
// CV_32FC1, with the description given) whose pixels are not held: its file is `before`, then the
// pixels row after row, uncompressed, then `after`. False with *problem set when libtiff fails.
struct TiffFrame {
    std::string before;
    std::string after;
};
bool tiff_frame(int width, int height, int type, const std::string& description, TiffFrame* frame,
                std::string* problem);

// The pages of TIFF file bytes another run wrote, trusted in nothing: every page must be one
// uncompressed channel of 8 or 16 bits or of 32-bit floats (CV_8UC1, CV_16UC1, CV_32FC1), at most
// kLargestPageSide on a side, and there must be at most most_pages. False with *problem set otherwise, or when libtiff cannot read a page.
constexpr int kLargestPageSide = 1 << 20;
bool read_tiff_pages(const std::string& bytes, std::size_t most_pages, std::vector<TiffPage>* pages,
                     std::string* problem);

}  // namespace bestfocus
