// What each tile's focus curve says, exactly as the summary says it of a whole stack: the pick,
// the focus between images and the warnings, from the same functions.
#pragma once

#include <cstddef>
#include <vector>

#include "curve_flags.h"
#include "folder_scores.h"

namespace bestfocus {

struct TilePick {
    int row = 0;
    int column = 0;
    RegionOfInterest rectangle;  // in the images' coordinates
    int best = 1;                // best_image_number of the tile's scores
    double fractional_best = 1;  // fractional_best of the tile's scores
    FlagSet flags;               // curve_flags, with every method's pick of the tile
};

// Every tile of a tiled folder under the method at index `method` of its methods, row by row.
std::vector<TilePick> tile_picks(const FolderScores& folder, std::size_t method);

}  // namespace bestfocus
