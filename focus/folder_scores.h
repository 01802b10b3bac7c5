// What the scan found in one folder: every image's score under every method, each method's pick,
// and where the stack and each of its images were read from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "image_location.h"
#include "plane_choice.h"
#include "tile_grid.h"

namespace bestfocus {

// One folder's scores under one measure, image 1 first, and the image picked from them.
struct MethodScores {
    int method = 0;
    std::vector<double> scores;
    int best_number = 1;
    // With tiles: tile_scores[t][i] is tile t's score on image i + 1, tiles row by row
    // (t = row · columns + column).
    std::vector<std::vector<double>> tile_scores = {};
};

// Every measure's scores of one folder, in the order the methods were asked for.
struct FolderScores {
    int folder = 0;
    std::vector<MethodScores> methods;
    std::string stack_path = {};  // the stack's folder (ending in "/") or multi-page file
    std::vector<ImageLocation> images = {};  // images[i]: where image i + 1 was read
    TileGrid tiles = {};                     // no rows: the images were not tiled
    RegionOfInterest area = {};  // with tiles or maps: the rectangle of the images measured
    int image_width = 0;  // with tiles or maps: the size every image of the stack was read at
    int image_height = 0;
    // A microscope file's stack: its planes and what its metadata says of them (plane_choice.h).
    std::optional<MicroscopePlanes> microscope = {};
};

}  // namespace bestfocus
