// The maps of a run at every pixel, one file of each kind per folder.
#pragma once

#include <vector>

#include "folder_scores.h"
#include "html_report.h"
#include "run_config.h"

namespace bestfocus {

// Writes every folder's maps at every pixel (pixel_maps.h; its images read once more) into the
// folders asked for (config.outputs: depth_map, all_in_focus, confidence_map), the folders created
// when missing; the folders are handled by a team of the configuration's N_threads_ext2 threads.
// Each file that cannot be made or written is named on standard error with the reason, in folder
// order, and the others are still written. False when any was not. With `pictures` (for the
// page), also every folder's pictures for its card, in folder order, when the run asks for maps
// or tiles.
bool write_focus_maps(const RunConfig& config, const std::vector<FolderScores>& folders,
                      std::vector<TilePictures>* pictures = nullptr);

}  // namespace bestfocus
