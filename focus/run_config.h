// What one run does: the settings the command line gives, in one value.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine_choice.h"
#include "stack_layout.h"
#include "team_sizes.h"
#include "tile_grid.h"

namespace bestfocus {

// The files a run writes besides its reports; an empty name is a file not asked for.
struct OutputFiles {
    std::string scores;             // every image's score, CSV
    std::string summary;            // each folder's pick, focus between images and warnings, CSV
    std::string html;               // the page of every stack's curves and picks
    std::string export_best;        // a folder for every folder's pick under every method
    bool export_best_link = false;  // hard links there instead of copies, where possible
    std::string best_stack;         // a multi-page TIFF of the first method's picks
    std::string tile_scores;        // every tile's score on every image, CSV
    std::string tile_summary;       // every tile's pick, focus between images and warnings, CSV
    // Maps at every pixel:
    std::string depth_map;       // a folder for every folder's depth map, <folder>_depth.tif
    std::string all_in_focus;    // a folder for every folder's all-in-focus image
    std::string confidence_map;  // a folder for every folder's confidence map

    // The depth maps as Z positions in micrometres (microscope files only), not image numbers.
    bool depth_in_micrometres = false;
};

// Whether any map at every pixel is asked for.
inline bool pixel_maps_asked(const OutputFiles& outputs) {
    return !outputs.depth_map.empty() || !outputs.all_in_focus.empty() ||
           !outputs.confidence_map.empty();
}

// The sizes of the three nested teams. A run gives them to the globals of team_sizes.h just
// before its scan (run.h).
struct TeamSizes {
    int threads_ext2 = kDefaultThreadsExt2;  // outer team: folders
    int threads_ext1 = kDefaultThreadsExt1;  // inner teams: the images of one folder
    int threads = kDefaultThreads;           // each measure's host-reduction team
};

// What one run does, built once by a front end (the command line's parser, the Python module) and
// checked by run_config_problem (run_check.h). Members it leaves unset keep these defaults, the
// only ones: the module reads them from here too.
struct RunConfig {
    std::vector<int> methods = {1};  // method codes in the order given: one report each
    EngineChoice engine = EngineChoice::automatic;  // engine_choice.h
    std::string base_folder;                        // prefix of every folder path, used unchanged
    int first_folder = 11;
    int last_folder = 11;           // inclusive
    int images_per_stack = 20;      // 0: every image there is (see input_check.h)
    StackLayout layout;             // folder and image names, the region measured
    std::optional<TileGrid> tiles;  // every image (or region) also measured tile by tile
    TeamSizes teams;
    OutputFiles outputs;
    int focus_window = 0;   // the per-pixel maps' window side (odd); 0: the default
    bool progress = false;  // plain progress lines even when standard error is no terminal
    bool quiet = false;     // nothing on standard error but errors
};

}  // namespace bestfocus
