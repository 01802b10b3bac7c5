// Joins the pieces of a run folder, written by the slices of a job array, into the outputs one
// run over the whole folder range would have written.
#pragma once

#include <string>
#include <vector>

#include "piece_maps.h"
#include "replace_file.h"

namespace bestfocus {

struct MergeRequest {
    std::string run_folder;
    int first_folder = 0;
    int last_folder = 0;  // inclusive
    // The merged CSV files to write (empty: none); the pieces hold theirs as these names say.
    std::string scores_file;
    std::string summary_file;
    std::string best_stack_file;  // the pieces' best stacks joined (empty: none)
    std::string tile_scores_file;
    std::string tile_summary_file;
    // Folders to gather the pieces' depth maps and all-in-focus images into (empty: none), their
    // files named after the folders as the checked format names them.
    std::string depth_map_folder;
    std::string all_in_focus_folder;
    std::string confidence_map_folder;
    std::string folder_names = "%03d";
};

struct MergeResult {
    bool merged = false;
    std::string refusal;  // when not merged: what is wrong, naming the piece or the folder
    // When merged: one report per method (named as bestfocus names it, for the working folder),
    // then the scores, summary and best-stack files asked for.
    std::vector<FileText> outputs;
    // When merged: every folder's maps asked for, each checked once already; read_map_file checks
    // each again as it is copied.
    std::vector<MapFile> maps;
    std::vector<std::string> pieces_files;  // every file of the pieces the merge read
    int pieces_used = 0;
    double wall_seconds = 0;  // from the first piece's start to the last piece's end
};

// Every folder of the range must be in a complete piece, and folders in more than one piece must
// have the same results in each; pieces entirely outside the range are not looked at. Reads
// only: the outputs are returned, not written.
MergeResult merge_run(const MergeRequest& request);

}  // namespace bestfocus
