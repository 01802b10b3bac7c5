// The tile tables of a run's pieces (tile_scores.csv, tile_summary.csv): read as untrusted input,
// checked against each other and against the piece's reports and scores before they are merged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "piece_outputs.h"
#include "tile_grid.h"

namespace bestfocus {

// The file names the array script gives a piece's tile tables.
constexpr char kPieceTileScoresFile[] = "tile_scores.csv";
constexpr char kPieceTileSummaryFile[] = "tile_summary.csv";

// The most tiles per image the merge reads tables of: it bounds the size of a tile table.
constexpr std::uint64_t kMostTilesPerImage = std::uint64_t{1} << 20;

// Read into the piece's contents when asked, each as read_piece_scores reads its file.
bool read_piece_tile_scores(PieceContents& contents, std::string& problem);
bool read_piece_tile_summary(PieceContents& contents, std::string& problem);

// True when, for every folder of the piece, the tile summary (when read) holds every method of the
// reports once, each over the same R x C tiles row by row, whose rectangles split one area as
// bestfocus splits it (tile (r, c) from floor(c·W/C) to floor((c+1)·W/C) − 1); and the tile scores
// (when read) hold images 1 to n, each under every method of the reports in one order, each over
// the tiles row by row, n as the scores file says. When both are read, every tile's best,
// fractional best and flags must be those its scores give, computed as bestfocus computes them;
// otherwise each best and fractional best must lie within the images. Every folder of both tables
// must have run_grid, which the first folder checked sets when it has none (one run_grid for all
// the pieces of a run). False with `problem` naming the piece, the file, the folder and what
// disagrees.
bool piece_tiles_agree(const PieceContents& contents, std::optional<TileGrid>& run_grid,
                       std::string& problem);

// The folder's rows of both tile tables as the merge writes them.
std::string folder_tile_lines(const PieceContents& contents, int folder);

}  // namespace bestfocus
