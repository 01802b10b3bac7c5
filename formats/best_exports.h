// The picked images as files: one per folder and method in an export folder, and one multi-page
// TIFF of the first method's picks.
#pragma once

#include <functional>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "folder_scores.h"
#include "image_location.h"

namespace bestfocus {

// The image at the depth it is stored in, one gray channel; empty when it cannot be decoded.
using DepthDecoder = std::function<cv::Mat(const ImageLocation&)>;

// The folder's own name; a multi-page file's without its extension ("007.tif": "007").
std::string stack_name(std::string stack_path, bool multi_page);

// "<folder>_<method>.<extension>" for a stack at stack_path (a folder ending in "/", or a
// multi-page file): the folder's own name (a multi-page file's without its extension), the
// method's short name, and the extension of the
// image names' format (none when it has no dot or its last part holds the number), "tif" for a
// page of a multi-page file, which is exported as a TIFF of its own.
std::string best_export_name(const std::string& stack_path, bool multi_page,
                             const std::string& image_names, const char* method_short_name);

struct ExportRequest {
    std::string folder;       // created when missing
    bool hard_links = false;  // link the picked files instead of copying them, where possible
    std::string image_names;  // the layout's image name format
    std::vector<std::string> method_names;  // short names, in the order of FolderScores::methods
};

// Writes every folder's pick under every method into request.folder, each file whole or not at
// all: a picked file copied byte for byte (or hard-linked), a picked page as a single-page TIFF
// at its depth. Every file is attempted, also after one fails (a full disk may have room for a
// smaller one): returns those that could not be written, each with the system's reason, in order;
// the folder alone when it cannot be made.
struct ExportFailure {
    std::string path;
    std::string reason;
};
std::vector<ExportFailure> export_best_images(const ExportRequest& request,
                                              const std::vector<FolderScores>& folders,
                                              const DepthDecoder& decode);

// The ImageDescription of a page of the best stack: "folder 11, image 7: <where it was read>".
std::string best_stack_description(int folder, int image, const ImageLocation& location);

// The bytes of the multi-page TIFF of the first method's picks, one page per folder in folder
// order, each at its depth; false with *reason set when a pick cannot be decoded or written.
bool best_stack_bytes(const std::vector<FolderScores>& folders, const DepthDecoder& decode,
                      std::string* bytes, std::string* reason);

}  // namespace bestfocus
