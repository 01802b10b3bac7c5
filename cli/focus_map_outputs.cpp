#include "focus_map_outputs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "depth_heat_map.h"
#include "depth_micrometres.h"
#include "focus_map_files.h"
#include "pixel_maps.h"
#include "replace_file.h"
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

// The folder's pictures for its card: the heat map, its confidence and the all-in-focus image
// (shown at 8 bits, 16-bit images scaled as decode_for_display scales them), each at the page's
// large view size.
TilePictures card_pictures(const FolderScores& folder, const PixelMaps& maps) {
    TilePictures pictures;
    const HeldDepthRows depth(maps.depth);
    const HeldDepthRows confidence(maps.confidence);
    pictures.depth_map_size = cv::Size(depth.width(), depth.height());
    const cv::Size view = large_view_size(pictures.depth_map_size);
    pictures.depth_map = preview_data_uri(
        depth_heat_map(depth, confidence, static_cast<int>(folder.images.size()), view));
    pictures.confidence_map = preview_data_uri(confidence_picture(confidence, view));
    cv::Mat shown = maps.focused;
    if (shown.depth() == CV_16U) {
        maps.focused.convertTo(shown, CV_8U, 255.0 / 65535.0);
    }
    pictures.all_in_focus_size = shown.size();
    pictures.all_in_focus = preview_data_uri(shown);
    return pictures;
}

// Puts the file in place as replace_file does; its pixels are written as they are made.
bool replace_with(FileText file, std::string* reason) {
    std::string failed_path;
    return replace_files({std::move(file)}, &failed_path, reason);
}

// The lines naming what could not be written for this folder; empty when all was.
std::string write_folder_maps(const OutputFiles& outputs, int window, const FolderScores& folder,
                              TilePictures* pictures) {
    const bool multi_page = !folder.images.empty() && folder.images[0].page >= 0;
    PixelMaps maps;
    std::string reason;
    const bool made = read_pixel_maps(folder, window, &maps, &reason);
    // The files' rows are written from these, after the calls that make them.
    const HeldDepthRows depth(maps.depth);
    const HeldDepthRows confidence(maps.confidence);
    std::string failures;
    FileText file;
    const auto write = [&](const std::string& folder_path, const std::string& name,
                           const char* what, const std::function<bool(const std::string&)>& make) {
        if (folder_path.empty()) return;
        const std::string path = folder_path + "/" + name;
        std::string why = reason;
        if (!made || !make(path) || !replace_with(std::move(file), &why)) {
            failures += "bestfocus: cannot write the " + std::string(what) + " " + path + ": " +
                        (made ? why : reason) + "\n";
        }
    };
    const bool micrometres = outputs.depth_in_micrometres && folder.microscope;
    const std::optional<MicrometreDepthRows> in_z =
        micrometres ? std::optional<MicrometreDepthRows>(std::in_place, depth, *folder.microscope)
                    : std::nullopt;
    const DepthRows& depth_written = in_z ? static_cast<const DepthRows&>(*in_z) : depth;
    write(outputs.depth_map, depth_map_name(folder.stack_path, multi_page), "depth map",
          [&](const std::string& path) {
              return depth_map_file(path, depth_written, folder.folder, &file, &reason,
                                    micrometres ? kMicrometres : kImageNumbers);
          });
    write(outputs.confidence_map, confidence_map_name(folder.stack_path, multi_page),
          "confidence map", [&](const std::string& path) {
              return confidence_map_file(path, confidence, folder.folder, &file, &reason);
          });
    write(outputs.all_in_focus, all_in_focus_name(folder.stack_path, multi_page),
          "all-in-focus image", [&](const std::string& path) {
              return all_in_focus_file(path, maps.focused, folder.folder, &file, &reason);
          });
    if (pictures != nullptr && made) {
        *pictures = card_pictures(folder, maps);
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
    for (std::string* folder :
         {&outputs.depth_map, &outputs.all_in_focus, &outputs.confidence_map}) {
        if (!folder->empty() && !make_folder(*folder, &reason)) {
            std::fprintf(stderr, "bestfocus: cannot make the folder %s: %s\n", folder->c_str(),
                         reason.c_str());
            folder->clear();
            written = false;
        }
    }
    // The page shows the maps of a run that asks for them, or for tiles.
    if (!pixel_maps_asked(config.outputs) && !(config.tiles && pictures)) {
        return written;
    }
    const int window = config.focus_window > 0 ? config.focus_window : kDefaultFocusWindow;
    if (pictures != nullptr) {
        pictures->assign(folders.size(), {});
    }
    std::vector<std::string> failures(folders.size());
    const long long count = static_cast<long long>(folders.size());
#pragma omp parallel for num_threads(config.teams.threads_ext2) schedule(static)
    for (long long i = 0; i < count; ++i) {
        failures[static_cast<std::size_t>(i)] =
            write_folder_maps(outputs, window, folders[static_cast<std::size_t>(i)],
                              pictures ? &(*pictures)[static_cast<std::size_t>(i)] : nullptr);
    }
    for (const std::string& lines : failures) {
        std::fputs(lines.c_str(), stderr);
        written = written && lines.empty();
    }
    return written;
}

}  // namespace bestfocus
