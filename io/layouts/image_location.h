// Where an image of a stack is read from: a file of its own, or one page of a multi-page file.
// Kept apart from the decoders so that the scan's results and the outputs need no OpenCV.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace bestfocus {

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

}  // namespace bestfocus
