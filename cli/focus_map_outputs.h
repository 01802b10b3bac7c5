// The depth maps and all-in-focus images of a tiled run, one file of each per folder.
#pragma once

#include <vector>

#include "folder_scores.h"
#include "html_report.h"
#include "run_config.h"

namespace bestfocus {

// Writes every folder's depth map into config.outputs.depth_map and its all-in-focus image (its
// images read again) into config.outputs.all_in_focus, for those asked for, the folders created
// when missing; the folders are handled by a team of the configuration's N_threads_ext2 threads.
// Each file that cannot be made or written is named on standard error with the reason, in folder
// order, and the others are still written. False when any was not. With `pictures` (for the
// page), also every tiled folder's pictures for its card, in folder order, whether its files are
// asked for or not.
bool write_focus_maps(const RunConfig& config, const std::vector<FolderScores>& folders,
                      std::vector<TilePictures>* pictures = nullptr);

}  // namespace bestfocus
