#include "focus_map_outputs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "all_in_focus.h"
#include "depth_map.h"
#include "focus_map_files.h"
#include "replace_file.h"
#include "team_sizes.h"

namespace bestfocus {
namespace {

bool make_folder(const std::string& folder, std::string* reason) {
    if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) {
        return true;
    }
    *reason = std::strerror(errno);
    return false;
}

// The lines naming what could not be written for this folder; empty when all was.
std::string write_folder_maps(const OutputFiles& outputs, const FolderScores& folder) {
    const DepthMap depth = folder_depth_map(folder);
    const bool multi_page = !folder.images.empty() && folder.images[0].page >= 0;
    std::string failures;
    std::string bytes;
    std::string reason;
    if (!outputs.depth_map.empty()) {
        const std::string path =
            outputs.depth_map + "/" + depth_map_name(folder.stack_path, multi_page);
        if (!depth_map_bytes(depth, folder.folder, &bytes, &reason) ||
            !replace_file(path, bytes, &reason)) {
            failures += "bestfocus: cannot write the depth map " + path + ": " + reason + "\n";
        }
    }
    if (!outputs.all_in_focus.empty()) {
        const std::string path =
            outputs.all_in_focus + "/" + all_in_focus_name(folder.stack_path, multi_page);
        const cv::Mat focused = read_all_in_focus(folder, depth, &reason);
        if (focused.empty() || !all_in_focus_bytes(focused, folder.folder, &bytes, &reason) ||
            !replace_file(path, bytes, &reason)) {
            failures +=
                "bestfocus: cannot write the all-in-focus image " + path + ": " + reason + "\n";
        }
    }
    return failures;
}

}  // namespace

bool write_focus_maps(const RunConfig& config, const std::vector<FolderScores>& folders) {
    const OutputFiles& outputs = config.outputs;
    std::string reason;
    for (const std::string* folder : {&outputs.depth_map, &outputs.all_in_focus}) {
        if (!folder->empty() && !make_folder(*folder, &reason)) {
            std::fprintf(stderr, "bestfocus: cannot make the folder %s: %s\n", folder->c_str(),
                         reason.c_str());
            return false;
        }
    }
    if (outputs.depth_map.empty() && outputs.all_in_focus.empty()) {
        return true;
    }
    std::vector<std::string> failures(folders.size());
    const long long count = static_cast<long long>(folders.size());
#pragma omp parallel for num_threads(N_threads_ext2) schedule(static)
    for (long long i = 0; i < count; ++i) {
        failures[static_cast<std::size_t>(i)] =
            write_folder_maps(outputs, folders[static_cast<std::size_t>(i)]);
    }
    bool written = true;
    for (const std::string& lines : failures) {
        std::fputs(lines.c_str(), stderr);
        written = written && lines.empty();
    }
    return written;
}

}  // namespace bestfocus
