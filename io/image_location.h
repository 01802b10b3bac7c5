// Where an image of a stack is read from: a file of its own, or one page of a multi-page file.
// Kept apart from the decoders so that the scan's results and the outputs need no OpenCV.
#pragma once

#include <string>
#include <utility>

namespace bestfocus {

struct ImageLocation {
    // Not explicit: a path alone is the location of a file of one image.
    ImageLocation(std::string file_path, int page_index = -1)
        : file(std::move(file_path)), page(page_index) {}

    std::string file;
    int page = -1;  // 0-based page of a multi-page file; -1: the file is the image
};

// The file, or "<file> (page N)" with N counted from 1, for messages.
std::string described(const ImageLocation& image);

}  // namespace bestfocus
