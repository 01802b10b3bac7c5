#include "piece_tiles.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "focus_curve.h"

namespace bestfocus {
namespace {

std::uint64_t saturated_rows(std::uint64_t folders, std::uint64_t methods, std::uint64_t per) {
    std::uint64_t product = 0;
    return __builtin_mul_overflow(folders * methods, per, &product) ? UINT64_MAX : product;
}

struct TileGridSize {
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::size_t count() const { return rows * columns; }
};

// The grid of a run of rows that lists tiles row by row from (0, 0): its columns are the rows of
// tile_row 0; nothing when the count does not fill whole grid rows.
template <typename Row>
bool grid_of(const std::vector<Row>& rows, std::size_t tiles, TileGridSize& grid) {
    std::size_t columns = 0;
    while (columns < tiles && rows[columns].tile_row == 0) {
        ++columns;
    }
    if (columns == 0 || tiles % columns != 0) {
        return false;
    }
    grid = {tiles / columns, columns};
    return true;
}

// The length of the leading run of rows of one method.
template <typename Row>
std::size_t leading_method_run(const std::vector<Row>& rows) {
    std::size_t length = 0;
    while (length < rows.size() && rows[length].method == rows[0].method) {
        ++length;
    }
    return length;
}

// Whether `method_at(k)` for k < methods lists every method of the reports once; their order in
// *order.
template <typename MethodAt>
bool methods_of_reports(const PieceContents& contents, std::size_t methods, MethodAt method_at,
                        std::vector<int>* order) {
    order->clear();
    for (std::size_t k = 0; k < methods; ++k) {
        const int method = method_at(k);
        if (contents.reports_by_method.count(method) == 0 ||
            std::find(order->begin(), order->end(), method) != order->end()) {
            return false;
        }
        order->push_back(method);
    }
    return order->size() == contents.reports_by_method.size();
}

// floor(part · whole / parts), the start of a tile along one side.
long long tile_start(long long part, long long whole, long long parts) {
    return part * whole / parts;
}

// The folder's summary rows: every method once, each over one grid of rectangles that split one
// area as bestfocus splits it. Its grid in *grid.
bool summary_layout_fits(const PieceContents& contents, const std::vector<TileSummaryRow>& rows,
                         TileGridSize* grid, std::string& where) {
    const std::size_t tiles = leading_method_run(rows);
    std::vector<int> order;
    if (tiles == 0 || rows.size() % tiles != 0 || !grid_of(rows, tiles, *grid) ||
        !methods_of_reports(
            contents, rows.size() / tiles, [&](std::size_t k) { return rows[k * tiles].method; },
            &order)) {
        where += "its rows are not every method of the reports once, each over one grid of tiles";
        return false;
    }
    const TileSummaryRow& first = rows[0];
    const TileSummaryRow& last = rows[tiles - 1];
    const long long width = static_cast<long long>(last.x) + last.width - first.x;
    const long long height = static_cast<long long>(last.y) + last.height - first.y;
    const long long columns = static_cast<long long>(grid->columns);
    const long long grid_rows = static_cast<long long>(grid->rows);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const TileSummaryRow& row = rows[k];
        const long long r = static_cast<long long>((k % tiles) / grid->columns);
        const long long c = static_cast<long long>((k % tiles) % grid->columns);
        const long long x = tile_start(c, width, columns);
        const long long y = tile_start(r, height, grid_rows);
        if (row.method != order[k / tiles] || row.tile_row != r || row.tile_col != c ||
            row.x != first.x + x || row.y != first.y + y ||
            row.width != tile_start(c + 1, width, columns) - x ||
            row.height != tile_start(r + 1, height, grid_rows) - y) {
            where += "tile (" + std::to_string(row.tile_row) + ", " + std::to_string(row.tile_col) +
                     ") of method " + std::to_string(row.method) +
                     " is not where bestfocus puts it";
            return false;
        }
    }
    return true;
}

// The folder's tile score rows: images 1 to n, each under every method of the reports in one order,
// each over the grid row by row. The image count in *images, the grid in *grid.
bool scores_layout_fits(const PieceContents& contents, const std::vector<TileScoreRow>& rows,
                        int* images, TileGridSize* grid, std::string& where) {
    const std::size_t tiles = leading_method_run(rows);
    const std::size_t methods = contents.reports_by_method.size();
    std::vector<int> order;
    if (tiles == 0 || rows.size() % (tiles * methods) != 0 || !grid_of(rows, tiles, *grid) ||
        !methods_of_reports(
            contents, methods, [&](std::size_t k) { return rows[k * tiles].method; }, &order)) {
        where += "its rows are not every method of the reports, each over one grid of tiles";
        return false;
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const TileScoreRow& row = rows[k];
        const std::size_t tile = k % tiles;
        if (row.image != static_cast<long long>(k / (tiles * methods)) + 1 ||
            row.method != order[(k / tiles) % methods] ||
            row.tile_row != static_cast<long long>(tile / grid->columns) ||
            row.tile_col != static_cast<long long>(tile % grid->columns)) {
            where += "its rows are not images 1, 2, ... each under every method in one order, " +
                     std::string("each over the tiles row by row");
            return false;
        }
    }
    *images = static_cast<int>(rows.size() / (tiles * methods));
    return true;
}

// The images of the folder in the piece's scores file; 0 when it was not read.
int scored_images(const PieceContents& contents, int folder) {
    const auto found = contents.scores.by_folder.find(folder);
    if (found == contents.scores.by_folder.end()) {
        return 0;
    }
    const std::size_t methods = contents.reports_by_method.size();
    return static_cast<int>(found->second.size() / methods);
}

// Every tile's curve under every method: curves[method][tile][image - 1].
using TileCurves = std::map<int, std::vector<std::vector<double>>>;

TileCurves tile_curves(const std::vector<TileScoreRow>& rows, std::size_t tiles) {
    TileCurves curves;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        std::vector<std::vector<double>>& method = curves[rows[k].method];
        method.resize(tiles);
        method[k % tiles].push_back(rows[k].score);
    }
    return curves;
}

// The summary row of every tile against what the tile's scores say, as bestfocus computes it.
bool summary_matches_scores(const std::vector<TileSummaryRow>& rows, const TileCurves& curves,
                            std::size_t tiles, std::string& where) {
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const TileSummaryRow& row = rows[k];
        const std::vector<double>& scores = curves.at(row.method)[k % tiles];
        // The first maximum, as the whole stack's pick.
        const int best =
            static_cast<int>(std::max_element(scores.begin(), scores.end()) - scores.begin()) + 1;
        std::vector<int> picks;
        for (const auto& [method, method_curves] : curves) {
            const std::vector<double>& tile = method_curves[k % tiles];
            picks.push_back(
                static_cast<int>(std::max_element(tile.begin(), tile.end()) - tile.begin()) + 1);
        }
        FlagSet flags = check_curve(scores, best);
        flags.set(Flag::disagree, picks_disagree(picks));
        if (row.best != best || row.fractional_best != fractional_best(scores, best) ||
            row.flags != flags) {
            where += "tile (" + std::to_string(row.tile_row) + ", " + std::to_string(row.tile_col) +
                     ") of method " + std::to_string(row.method) + " is not what its scores in " +
                     kPieceTileScoresFile + " say";
            return false;
        }
    }
    return true;
}

// Without the tile scores: each tile's best within the images (when known) and its fractional best
// within one image of it.
bool summary_within_images(const std::vector<TileSummaryRow>& rows, int images,
                           std::string& where) {
    for (const TileSummaryRow& row : rows) {
        if ((images > 0 && row.best > images) || std::fabs(row.fractional_best - row.best) > 1.0 ||
            row.fractional_best < 1.0 || (images > 0 && row.fractional_best > images)) {
            where += "tile (" + std::to_string(row.tile_row) + ", " + std::to_string(row.tile_col) +
                     ") of method " + std::to_string(row.method) + " says best " +
                     std::to_string(row.best) + ", focus " + std::to_string(row.fractional_best) +
                     ", outside the stack's images";
            return false;
        }
    }
    return true;
}

std::string where_in(const PieceContents& contents, const char* file, int folder) {
    return contents.piece->name + "/" + file + ", folder " + std::to_string(folder) + ": ";
}

}  // namespace

bool read_piece_tile_scores(PieceContents& contents, std::string& problem) {
    const RunPiece& piece = *contents.piece;
    const std::uint64_t rows =
        saturated_rows(static_cast<std::uint64_t>(piece.folder_count()),
                       contents.reports_by_method.size(), kMostImagesPerStack * kMostTilesPerImage);
    return read_piece_table(piece, kPieceTileScoresFile, rows, kLongestTileRowBytes,
                            parse_tile_score_row, contents.tile_scores, problem);
}

bool read_piece_tile_summary(PieceContents& contents, std::string& problem) {
    const RunPiece& piece = *contents.piece;
    const std::uint64_t rows =
        saturated_rows(static_cast<std::uint64_t>(piece.folder_count()),
                       contents.reports_by_method.size(), kMostTilesPerImage);
    return read_piece_table(piece, kPieceTileSummaryFile, rows, kLongestTileRowBytes,
                            parse_tile_summary_row, contents.tile_summary, problem);
}

bool piece_tiles_agree(const PieceContents& contents, std::optional<TileGrid>& run_grid,
                       std::string& problem) {
    // Every folder of every table of every piece has the run's grid: the first one's.
    const auto on_run_grid = [&run_grid, &problem](const TileGridSize& grid) {
        const TileGrid this_grid{static_cast<int>(grid.rows), static_cast<int>(grid.columns)};
        if (!run_grid) {
            run_grid = this_grid;
        }
        if (run_grid->rows != this_grid.rows || run_grid->columns != this_grid.columns) {
            problem += "its " + std::to_string(this_grid.rows) + " x " +
                       std::to_string(this_grid.columns) + " tiles are not the run's " +
                       std::to_string(run_grid->rows) + " x " + std::to_string(run_grid->columns);
            return false;
        }
        return true;
    };
    std::map<int, int> images_by_folder;
    for (const auto& [folder, rows] : contents.tile_scores.by_folder) {
        problem = where_in(contents, kPieceTileScoresFile, folder);
        int& images = images_by_folder[folder];
        TileGridSize grid;
        if (!scores_layout_fits(contents, rows, &images, &grid, problem) || !on_run_grid(grid)) {
            return false;
        }
        const int scored = scored_images(contents, folder);
        if (scored != 0 && images != scored) {
            problem += "it has " + std::to_string(images) + " images where " + kPieceScoresFile +
                       " has " + std::to_string(scored);
            return false;
        }
    }
    for (const auto& [folder, rows] : contents.tile_summary.by_folder) {
        problem = where_in(contents, kPieceTileSummaryFile, folder);
        TileGridSize grid;
        if (!summary_layout_fits(contents, rows, &grid, problem) || !on_run_grid(grid)) {
            return false;
        }
        const auto scores = contents.tile_scores.by_folder.find(folder);
        const bool checked =
            scores == contents.tile_scores.by_folder.end()
                ? summary_within_images(rows, scored_images(contents, folder), problem)
                : summary_matches_scores(rows, tile_curves(scores->second, grid.count()),
                                         grid.count(), problem);
        if (!checked) {
            return false;
        }
    }
    problem.clear();
    return true;
}

std::string folder_tile_lines(const PieceContents& contents, int folder) {
    std::string lines;
    if (const auto found = contents.tile_scores.by_folder.find(folder);
        found != contents.tile_scores.by_folder.end()) {
        for (const TileScoreRow& row : found->second) {
            lines += tile_score_row_line(row);
        }
    }
    if (const auto found = contents.tile_summary.by_folder.find(folder);
        found != contents.tile_summary.by_folder.end()) {
        for (const TileSummaryRow& row : found->second) {
            lines += tile_summary_row_line(row);
        }
    }
    return lines;
}

}  // namespace bestfocus
