#include "piece_maps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "best_exports.h"
#include "name_format.h"
#include "read_file.h"
#include "tiff_bytes.h"

namespace bestfocus {
namespace {

// Room for a TIFF's header and tags beside its pixels.
constexpr std::uint64_t kTiffOverheadBytes = 1 << 16;

// A depth map's values are computed in double and stored as float: allow the float's rounding.
constexpr double kDepthRounding = 1e-4;

}  // namespace

std::string map_folder_name(const std::string& checked_folder_names, int folder) {
    const std::size_t conversion = checked_folder_names.rfind('%');
    const bool names_a_file = checked_folder_names.find('.', conversion) != std::string::npos;
    return stack_name(formatted_name(checked_folder_names, folder), names_a_file);
}

MapFile piece_map_file(const PieceContents& contents, int folder, MapKind kind, int images,
                       const std::string& folder_name, const std::string& destination_folder) {
    const std::vector<TileSummaryRow>& tiles = contents.tile_summary.by_folder.at(folder);
    MapFile file;
    file.kind = kind;
    const bool depth = kind == MapKind::depth;
    const bool confidence = kind == MapKind::confidence;
    const std::string name = folder_name + (depth        ? "_depth.tif"
                                            : confidence ? "_confidence.tif"
                                                         : "_focused.tif");
    const std::string in_piece = (depth        ? kPieceDepthMapFolder
                                  : confidence ? kPieceConfidenceMapFolder
                                               : kPieceAllInFocusFolder) +
                                 name;
    file.source = contents.piece->path + in_piece;
    const auto recorded = contents.piece->record.maps.find(in_piece);
    if (recorded != contents.piece->record.maps.end()) file.recorded = recorded->second;
    file.destination = destination_folder + "/" + name;
    const TileSummaryRow& last = tiles.back();
    file.width = static_cast<long long>(last.x) + last.width - tiles.front().x;
    file.height = static_cast<long long>(last.y) + last.height - tiles.front().y;
    // Focus at every pixel lies between the first and the last image; a confidence in 0..1.
    file.least = confidence ? 0 : 1;
    file.most = confidence ? 1 : images > 0 ? images : std::numeric_limits<double>::infinity();
    return file;
}

bool read_map_file(const MapFile& file, std::string* bytes, std::string* problem) {
    if (file.width > kLargestPageSide || file.height > kLargestPageSide) {
        *problem = file.source + ": its tiles split an area larger than a page can be";
        return false;
    }
    const std::uint64_t pixels = std::uint64_t(file.width) * std::uint64_t(file.height);
    const std::uint64_t most_bytes =
        pixels * (file.kind == MapKind::all_in_focus ? 2 : 4) + kTiffOverheadBytes;
    std::string reason;
    if (!read_regular_file(file.source, most_bytes, *bytes, reason)) {
        *problem = file.source + " " + reason;
        return false;
    }
    if (!file.recorded) {
        *problem = file.source + " is not among the maps its piece recorded writing";
        return false;
    }
    if (bytes->size() != file.recorded->bytes || sha256_hex(*bytes) != file.recorded->sha256) {
        *problem = file.source + " is not the map its piece wrote: its size or checksum differs " +
                   "from those the piece recorded";
        return false;
    }
    std::vector<TiffPage> pages;
    if (!read_tiff_pages(*bytes, 1, &pages, &reason)) {
        *problem = file.source + ": " + reason;
        return false;
    }
    const cv::Mat& image = pages.front().image;
    const bool floats = file.kind != MapKind::all_in_focus;
    if ((image.type() == CV_32FC1) != floats) {
        *problem = file.source + (floats ? " is not a page of 32-bit floats"
                                         : " is not a page of 8- or 16-bit gray");
        return false;
    }
    if (image.cols != file.width || image.rows != file.height) {
        *problem = file.source + " is " + std::to_string(image.cols) + " x " +
                   std::to_string(image.rows) + " where the folder's tiles split " +
                   std::to_string(file.width) + " x " + std::to_string(file.height);
        return false;
    }
    if (floats) {
        for (int row = 0; row < image.rows; ++row) {
            const float* values = image.ptr<float>(row);
            for (int column = 0; column < image.cols; ++column) {
                // NaN fails both comparisons.
                if (!(values[column] >= file.least - kDepthRounding &&
                      values[column] <= file.most + kDepthRounding)) {
                    const std::string range = std::isinf(file.most)
                                                  ? "below " + std::to_string(file.least)
                                                  : "outside " + std::to_string(file.least) +
                                                        " to " + std::to_string(file.most);
                    *problem = file.source + " says " + std::to_string(values[column]) + " at (" +
                               std::to_string(column) + ", " + std::to_string(row) + "), " + range;
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace bestfocus
