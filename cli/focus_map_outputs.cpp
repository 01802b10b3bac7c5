#include "focus_map_outputs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "all_in_focus.h"
#include "depth_heat_map.h"
#include "depth_map.h"
#include "depth_micrometres.h"
#include "focus_map_files.h"
#include "replace_file.h"
#include "team_sizes.h"
#include "thumbnail.h"

namespace bestfocus {
namespace {

bool make_folder(const std::string& folder, std::string* reason) {
    if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) {
        return true;
    }
    *reason = std::strerror(errno);
    return false;
}

// The folder's pictures for its card: the heat map and the all-in-focus image (shown at 8 bits,
// 16-bit images scaled as decode_for_display scales them), each at the page's large view size.
TilePictures card_pictures(const FolderScores& folder, const DepthRows& depth,
                           const cv::Mat& focused) {
    TilePictures pictures;
    pictures.depth_map_size = cv::Size(depth.width(), depth.height());
    pictures.depth_map =
        preview_data_uri(depth_heat_map(folder, depth, large_view_size(pictures.depth_map_size)));
    if (!focused.empty()) {
        cv::Mat shown = focused;
        if (focused.depth() == CV_16U) {
            focused.convertTo(shown, CV_8U, 255.0 / 65535.0);
        }
        pictures.all_in_focus_size = shown.size();
        pictures.all_in_focus = preview_data_uri(shown);
    }
    return pictures;
}

// Puts the file in place as replace_file does; its pixels are written as they are made.
bool replace_with(FileText file, std::string* reason) {
    std::string failed_path;
    return replace_files({std::move(file)}, &failed_path, reason);
}

// The lines naming what could not be written for this folder; empty when all was.
std::string write_folder_maps(const OutputFiles& outputs, const FolderScores& folder,
                              TilePictures* pictures) {
    const TileDepthRows depth = folder_depth_rows(folder);
    const bool multi_page = !folder.images.empty() && folder.images[0].page >= 0;
    std::string failures;
    FileText file;
    std::string reason;
    if (!outputs.depth_map.empty()) {
        const std::string path =
            outputs.depth_map + "/" + depth_map_name(folder.stack_path, multi_page);
        const bool micrometres = outputs.depth_in_micrometres && folder.microscope;
        const std::optional<MicrometreDepthRows> in_z =
            micrometres
                ? std::optional<MicrometreDepthRows>(std::in_place, depth, *folder.microscope)
                : std::nullopt;
        const DepthRows& written = in_z ? static_cast<const DepthRows&>(*in_z) : depth;
        if (!depth_map_file(path, written, folder.folder, &file, &reason,
                            micrometres ? kMicrometres : kImageNumbers) ||
            !replace_with(std::move(file), &reason)) {
            failures += "bestfocus: cannot write the depth map " + path + ": " + reason + "\n";
        }
    }
    cv::Mat focused;
    if (!outputs.all_in_focus.empty() || pictures != nullptr) {
        focused = read_all_in_focus(folder, depth, &reason);
    }
    if (!outputs.all_in_focus.empty()) {
        const std::string path =
            outputs.all_in_focus + "/" + all_in_focus_name(folder.stack_path, multi_page);
        if (focused.empty() || !all_in_focus_file(path, focused, folder.folder, &file, &reason) ||
            !replace_with(std::move(file), &reason)) {
            failures +=
                "bestfocus: cannot write the all-in-focus image " + path + ": " + reason + "\n";
        }
    }
    if (pictures != nullptr) {
        *pictures = card_pictures(folder, depth, focused);
    }
    return failures;
}

}  // namespace

bool write_focus_maps(const RunConfig& config, const std::vector<FolderScores>& folders,
                      std::vector<TilePictures>* pictures) {
    OutputFiles outputs = config.outputs;
    bool written = true;
    std::string reason;
    // A folder that cannot be made loses its files only.
    for (std::string* folder : {&outputs.depth_map, &outputs.all_in_focus}) {
        if (!folder->empty() && !make_folder(*folder, &reason)) {
            std::fprintf(stderr, "bestfocus: cannot make the folder %s: %s\n", folder->c_str(),
                         reason.c_str());
            folder->clear();
            written = false;
        }
    }
    if (!config.tiles || (outputs.depth_map.empty() && outputs.all_in_focus.empty() && !pictures)) {
        return written;
    }
    if (pictures != nullptr) {
        pictures->assign(folders.size(), {});
    }
    std::vector<std::string> failures(folders.size());
    const long long count = static_cast<long long>(folders.size());
#pragma omp parallel for num_threads(N_threads_ext2) schedule(static)
    for (long long i = 0; i < count; ++i) {
        failures[static_cast<std::size_t>(i)] =
            write_folder_maps(outputs, folders[static_cast<std::size_t>(i)],
                              pictures ? &(*pictures)[static_cast<std::size_t>(i)] : nullptr);
    }
    for (const std::string& lines : failures) {
        std::fputs(lines.c_str(), stderr);
        written = written && lines.empty();
    }
    return written;
}

}  // namespace bestfocus
