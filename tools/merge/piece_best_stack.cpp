#include "piece_best_stack.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "best_exports.h"
#include "image_source.h"
#include "read_file.h"
#include "text_numbers.h"

namespace bestfocus {
namespace {

// A page of 2^20 x 2^20 16-bit pixels is 2 TiB; stacks real pieces hold stay far below this per
// folder, and a classic TIFF cannot exceed 4 GiB anyway.
constexpr std::uint64_t kMostBytesPerFolder = std::uint64_t{256} << 20;
constexpr std::uint64_t kMostBestStackBytes = std::uint64_t{4} << 30;

// The folder and image a page's description names, and where it says the image was read; false
// when it does not read as best_stack_description writes it.
bool described_pick(const std::string& description, int& folder, int& image,
                    std::string& where_read) {
    const std::string folder_start = "folder ";
    const std::size_t comma = description.find(", image ");
    const std::size_t colon = description.find(": ");
    if (description.rfind(folder_start, 0) != 0 || comma == std::string::npos ||
        colon == std::string::npos || colon < comma) {
        return false;
    }
    const std::size_t image_start = comma + std::string(", image ").size();
    where_read = description.substr(colon + 2);
    return parse_canonical_int(description.substr(folder_start.size(), comma - folder_start.size()),
                               folder) &&
           parse_canonical_int(description.substr(image_start, colon - image_start), image);
}

// The image a description says was read: a file, or a page of a multi-page file ("<file> (page
// K)", as `described` names it). Nothing for text no path of a stack holds: control characters
// (a line break, an escape sequence), markup, or a spreadsheet formula's first character.
std::optional<ImageLocation> named_image(const std::string& where_read) {
    if (where_read.empty() || std::string("=+-@").find(where_read.front()) != std::string::npos ||
        std::any_of(where_read.begin(), where_read.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7f || c == '<' || c == '>';
        })) {
        return std::nullopt;
    }
    const std::string page_start = " (page ";
    const std::size_t page = where_read.rfind(page_start);
    int number = 0;
    if (page != std::string::npos && where_read.back() == ')' &&
        parse_canonical_int(where_read.substr(page + page_start.size(),
                                              where_read.size() - 1 - page - page_start.size()),
                            number) &&
        number >= 1) {
        return ImageLocation(where_read.substr(0, page), number - 1);
    }
    return ImageLocation(where_read);
}

// Whether the page holds exactly the image the location names, at its depth. A relative path is
// taken from the piece's folder, where bestfocus ran.
bool holds_image(const cv::Mat& page, ImageLocation location, const std::string& piece_folder) {
    if (location.file.front() != '/') {
        location.file = piece_folder + location.file;
    }
    const cv::Mat image = decode_at_depth(location);
    return !image.empty() && image.size() == page.size() && image.type() == page.type() &&
           cv::norm(image, page, cv::NORM_INF) == 0;
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
        const std::string page = where + " page " + std::to_string(i + 1);
        int folder = 0;
        int image = 0;
        std::string where_read;
        if (!described_pick((*pages)[i].description, folder, image, where_read) ||
            folder != expected_folder || !picked_by_a_method(contents, folder, image)) {
            *problem = page + " is not the pick of folder " + std::to_string(expected_folder) +
                       " its reports name";
            return false;
        }
        const std::optional<ImageLocation> location = named_image(where_read);
        if (!location) {
            *problem = page + "'s description does not name an image as bestfocus names one";
            return false;
        }
        if (!holds_image((*pages)[i].image, *location, piece.path)) {
            *problem = page + " is not the image it names, " + described(*location) +
                       ", or that image cannot be read";
            return false;
        }
        // Written afresh from what was checked, so nothing else of the piece's text goes on.
        (*pages)[i].description = best_stack_description(folder, image, *location);
    }
    return true;
}

}  // namespace bestfocus
