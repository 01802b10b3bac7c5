// Where each stack of a run lies: a folder of image files, or one multi-page file whose pages are
// the images, both named by the layout's formats.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image_source.h"
#include "plane_choice.h"
#include "stack_layout.h"

namespace bestfocus {

struct StackSource {
    int folder = 0;           // the stack's number
    std::string path;         // the folder, ending in "/", or the multi-page file
    bool multi_page = false;  // path is a file whose pages are the images
    bool exists = true;       // path is a folder or a regular file
    int images = 0;           // images (pages) of the stack the run measures, once counted
    // A multi-page TIFF file: where each page's directory begins, once counted.
    std::vector<std::uint64_t> page_directories;
    // A multi-page file whose description gives its dimensions (OME-XML, an ImageJ hyperstack):
    // the chosen planes, image N being Z plane N of the focus channel, once counted.
    std::optional<MicroscopePlanes> microscope;
};

// The stack of that number under the base folder: <base><folder name>, a multi-page file when
// that path is a regular file, a folder otherwise (also when it is missing, exists then false).
StackSource probe_stack(const StackLayout& layout, const std::string& base_folder, int folder);

// Image `image` of the stack, counted from 1: a file of the folder, page image - 1, or a microscope
// file's page that holds Z plane `image` of the focus channel.
ImageLocation image_location(const StackSource& stack, const StackLayout& layout, int image);

// The format that names the images of the stack in messages: the layout's image names, "page %d"
// in a multi-page file, or "Z plane %d" in a microscope file.
std::string image_names_in_messages(const StackSource& stack, const StackLayout& layout);

}  // namespace bestfocus
