// What one run does: the settings the command line gives, in one value.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine_choice.h"
#include "stack_layout.h"
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
    // With tiles:
    std::string tile_scores;   // every tile's score on every image, CSV
    std::string tile_summary;  // every tile's pick, focus between images and warnings, CSV
    std::string depth_map;     // a folder for every folder's depth map, <folder>_depth.tif
    std::string all_in_focus;  // a folder for every folder's all-in-focus image
};

// What one run does, as the command line sets it, built once by the parser. Members it leaves
// unset keep these defaults. The team sizes are the globals of team_sizes.h, set by the same
// parser.
struct RunConfig {
    std::vector<int> methods = {1};  // method codes in the order given: one report each
    EngineChoice engine = EngineChoice::automatic;  // engine_choice.h
    std::string base_folder;                        // prefix of every folder path, used unchanged
    int first_folder = 11;
    int last_folder = 11;           // inclusive
    int images_per_stack = 20;      // 0: every image there is (see input_check.h)
    StackLayout layout;             // folder and image names, the region measured
    std::optional<TileGrid> tiles;  // every image (or region) also measured tile by tile
    OutputFiles outputs;
    bool progress = false;  // plain progress lines even when standard error is no terminal
    bool quiet = false;     // nothing on standard error but errors
};

}  // namespace bestfocus
