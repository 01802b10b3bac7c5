// One folder's card on the HTML page.
#pragma once

#include <string>
#include <vector>

#include "folder_scores.h"
#include "html_report.h"

namespace bestfocus {

// The image shown beside the pick for comparison: the pick's better-scoring neighbour under the
// same measure (the only one at either end of the stack); 0 for a stack of one image.
int comparison_image(const MethodScores& method);

// A <section class="card"> (also "flagged" when it has warnings) for the folder: its stack's
// path, its curves, one thumbnail for each distinct pick labelled with the methods picking it and
// one of the first method's comparison_image (read through load_image at the places the scan read
// them), each opening large on a click, and a legend with every method's colour,
// name, pick, focus estimate and warnings. method_names are in the folder's method order. With
// tile pictures, the all-in-focus image and the depth map (under its colour scale) follow the
// picks' thumbnails, before the neighbour's, opening large alike.
std::string folder_card(const FolderScores& folder, const std::vector<std::string>& method_names,
                        const ReportImageSource& load_image,
                        const TilePictures* tile_pictures = nullptr);

}  // namespace bestfocus
