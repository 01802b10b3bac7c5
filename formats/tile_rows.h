// The tile tables' rows: every tile's score on every image, and every tile's pick. Read back
// and written again row by row by the merge.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "curve_flags.h"
#include "tile_tables.h"

namespace bestfocus {

// The most bytes a row (or header) line takes: nine ints of at most 11 characters, two doubles of
// at most 24 (%.17g; the second the z_um column), all the flags, separators and "\n".
constexpr std::size_t kLongestTileRowBytes = 9 * 11 + 2 * 24 + 28 + 12;

// One row of the tile scores file: tile (tile_row, tile_col) of the image under the method.
struct TileScoreRow {
    int folder = 0;
    int image = 1;   // from 1
    int method = 1;  // a method code, at least 1
    int tile_row = 0;
    int tile_col = 0;
    double score = 0;
};

// One row of the tile summary file: the tile's rectangle in the images, and what its curve says.
struct TileSummaryRow {
    int folder = 0;
    int method = 1;
    int tile_row = 0;
    int tile_col = 0;
    int x = 0;
    int y = 0;
    int width = 1;
    int height = 1;
    int best = 1;
    double fractional_best = 1;
    FlagSet flags;
    bool with_z = false;         // the row has the z_um column (score_tables.h)
    std::optional<double> z_um;  // and its value, when known
};

// A row as its line, ending in "\n": numbers in decimal, doubles with %.17g, flags as flag_list
// writes them.
std::string tile_score_row_line(const TileScoreRow& row);
std::string tile_summary_row_line(const TileSummaryRow& row);

// A line (without "\n") read back: every field what it must be (image, method, width, height and
// best at least 1, tile indexes, x and y at least 0, finite doubles, known flags); nothing
// otherwise.
std::optional<TileScoreRow> parse_tile_score_row(const std::string& line);
std::optional<TileSummaryRow> parse_tile_summary_row(const std::string& line);

}  // namespace bestfocus
