// The tile files: every tile's score on every image, and what every tile's curve says.
#pragma once

#include <string>
#include <vector>

#include "folder_scores.h"

namespace bestfocus {

// The header lines, without their "\n".
constexpr char kTileScoresHeader[] = "folder,image,method,tile_row,tile_col,score";
constexpr char kTileSummaryHeader[] =
    "folder,method,tile_row,tile_col,x,y,width,height,best,fractional_best,flags";

// CSV as score_tables.h writes it, kTileScoresHeader, then one row per image, method and tile of
// every tiled folder in folder, image, method, tile row, tile column order (tile rows and columns
// from 0, scores as %.17g).
std::string tile_scores_table(const std::vector<FolderScores>& folders);

// CSV with kTileSummaryHeader, one row per method and tile of every tiled folder in folder,
// method, tile row, tile column order: the tile's rectangle in the images' coordinates (as --roi
// takes it), its pick, focus between images and warnings (tile_picks.h).
std::string tile_summary_table(const std::vector<FolderScores>& folders);

}  // namespace bestfocus
