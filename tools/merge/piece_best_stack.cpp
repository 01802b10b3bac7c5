#include "piece_best_stack.h"

#include <algorithm>
#include <cstdint>

#include "read_file.h"
#include "text_numbers.h"

namespace bestfocus {
namespace {

// A page of 2^20 x 2^20 16-bit pixels is 2 TiB; stacks real pieces hold stay far below this per
// folder, and a classic TIFF cannot exceed 4 GiB anyway.
constexpr std::uint64_t kMostBytesPerFolder = std::uint64_t{256} << 20;
constexpr std::uint64_t kMostBestStackBytes = std::uint64_t{4} << 30;

// The folder and image a page's description names; false when it does not read as
// best_stack_description writes it.
bool described_pick(const std::string& description, int& folder, int& image) {
    const std::string folder_start = "folder ";
    const std::size_t comma = description.find(", image ");
    const std::size_t colon = description.find(": ");
    if (description.rfind(folder_start, 0) != 0 || comma == std::string::npos ||
        colon == std::string::npos || colon < comma) {
        return false;
    }
    const std::size_t image_start = comma + std::string(", image ").size();
    return parse_canonical_int(description.substr(folder_start.size(), comma - folder_start.size()),
                               folder) &&
           parse_canonical_int(description.substr(image_start, colon - image_start), image);
}

bool picked_by_a_method(const PieceContents& contents, int folder, int image) {
    const std::size_t index = static_cast<std::size_t>(folder - contents.piece->first_folder);
    return std::any_of(
        contents.reports_by_method.begin(), contents.reports_by_method.end(),
        [&](const auto& method) { return method.second.best_images[index] == image; });
}

}  // namespace

bool read_piece_best_stack(const PieceContents& contents, std::vector<TiffPage>* pages,
                           std::string* problem) {
    const RunPiece& piece = *contents.piece;
    const std::string where = piece.name + "/" + kPieceBestStackFile;
    const std::uint64_t folders = static_cast<std::uint64_t>(piece.folder_count());
    std::string bytes;
    std::string reason;
    if (!read_regular_file(piece.path + kPieceBestStackFile,
                           std::min(kMostBestStackBytes, folders * kMostBytesPerFolder), bytes,
                           reason) ||
        !read_tiff_pages(bytes, folders, pages, &reason)) {
        *problem = where + " " + reason;
        return false;
    }
    if (pages->size() != folders) {
        *problem = where + " has " + std::to_string(pages->size()) + " pages for " +
                   std::to_string(folders) + " folders";
        return false;
    }
    for (std::size_t i = 0; i < pages->size(); ++i) {
        const int expected_folder = piece.first_folder + static_cast<int>(i);
        int folder = 0;
        int image = 0;
        if (!described_pick((*pages)[i].description, folder, image) || folder != expected_folder ||
            !picked_by_a_method(contents, folder, image)) {
            *problem = where + " page " + std::to_string(i + 1) + " is not the pick of folder " +
                       std::to_string(expected_folder) + " its reports name";
            return false;
        }
    }
    return true;
}

}  // namespace bestfocus
