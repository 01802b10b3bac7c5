#include "focus_map_files.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "best_exports.h"
#include "tiff_bytes.h"

namespace bestfocus {

std::string depth_map_name(const std::string& stack_path, bool multi_page) {
    return stack_name(stack_path, multi_page) + "_depth.tif";
}

std::string all_in_focus_name(const std::string& stack_path, bool multi_page) {
    return stack_name(stack_path, multi_page) + "_focused.tif";
}

std::string confidence_map_name(const std::string& stack_path, bool multi_page) {
    return stack_name(stack_path, multi_page) + "_confidence.tif";
}

namespace {

// The file of a frame around pixels that `rows` writes.
bool framed_file(const std::string& path, int width, int height, int type,
                 const std::string& description, std::function<bool(const PieceWriter&)> rows,
                 FileText* file, std::string* problem) {
    auto frame = std::make_shared<TiffFrame>();
    if (!tiff_frame(width, height, type, description, frame.get(), problem)) {
        return false;
    }
    file->path = path;
    file->own_name = true;  // a name made from the stack's, in a folder the user chose
    file->pieces = [frame, rows = std::move(rows)](const PieceWriter& write) {
        return write(frame->before.data(), frame->before.size()) && rows(write) &&
               write(frame->after.data(), frame->after.size());
    };
    return true;
}

// A map of 32-bit floats, its rows computed as the file is written.
bool float_map_file(const std::string& path, const DepthRows& depth, const std::string& description,
                    FileText* file, std::string* problem) {
    const auto rows = [&depth](const PieceWriter& write) {
        // A few rows at a time: the map itself is never held.
        constexpr std::size_t kPieceValues = 1 << 16;
        const int width = depth.width();
        const int rows_at_once =
            std::max(1, static_cast<int>(kPieceValues / static_cast<std::size_t>(width)));
        std::vector<float> piece(static_cast<std::size_t>(width) * rows_at_once);
        for (int y = 0; y < depth.height(); y += rows_at_once) {
            const int rows = std::min(rows_at_once, depth.height() - y);
            for (int row = 0; row < rows; ++row) {
                depth.span(y + row, 0, width, piece.data() + static_cast<std::size_t>(row) * width);
            }
            if (!write(reinterpret_cast<const char*>(piece.data()),
                       static_cast<std::size_t>(rows) * width * sizeof(float))) {
                return false;
            }
        }
        return true;
    };
    return framed_file(path, depth.width(), depth.height(), CV_32FC1, description, rows, file,
                       problem);
}

}  // namespace

bool depth_map_file(const std::string& path, const DepthRows& depth, int folder, FileText* file,
                    std::string* problem, const char* unit) {
    return float_map_file(path, depth,
                          "folder " + std::to_string(folder) + ": focus at every pixel, " + unit,
                          file, problem);
}

bool confidence_map_file(const std::string& path, const DepthRows& confidence, int folder,
                         FileText* file, std::string* problem) {
    return float_map_file(
        path, confidence,
        "folder " + std::to_string(folder) + ": confidence of the focus at every pixel, 0 to 1",
        file, problem);
}

bool all_in_focus_file(const std::string& path, const cv::Mat& focused, int folder, FileText* file,
                       std::string* problem) {
    const int type = focused.type();
    if (type != CV_8UC1 && type != CV_16UC1) {
        *problem = "only 8- and 16-bit gray images can be written";
        return false;
    }
    const auto rows = [&focused](const PieceWriter& write) {
        const std::size_t row_bytes = static_cast<std::size_t>(focused.cols) * focused.elemSize();
        if (focused.isContinuous()) {  // in one write
            return write(reinterpret_cast<const char*>(focused.data), row_bytes * focused.rows);
        }
        for (int y = 0; y < focused.rows; ++y) {
            if (!write(reinterpret_cast<const char*>(focused.ptr(y)), row_bytes)) {
                return false;
            }
        }
        return true;
    };
    return framed_file(path, focused.cols, focused.rows, type,
                       "folder " + std::to_string(folder) + ": all in focus, by the depth map",
                       rows, file, problem);
}

}  // namespace bestfocus
