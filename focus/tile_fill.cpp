// filled_tile_depths (depth_map.h) in time linear in the tiles: each flat tile's distance to the
// nearest textured tile from a two-pass distance transform, and the textured tiles at that
// distance summed from summed-area tables over the square box of that radius, which holds no
// nearer one.
#include <algorithm>
#include <climits>

#include "depth_map.h"

namespace bestfocus {

namespace {

// Sums over the boxes of a grid in O(1) each: table[(r + 1) · (columns + 1) + c + 1] holds the
// sum over rows 0..r and columns 0..c. Long double keeps the differences of large sums close.
class BoxSums {
  public:
    BoxSums(const TileGrid& grid, const std::vector<double>& depths, const std::vector<bool>& flat)
        : columns_(grid.columns),
          sums_(static_cast<std::size_t>(grid.rows + 1) * (grid.columns + 1)),
          counts_(sums_.size()) {
        for (int r = 0; r < grid.rows; ++r) {
            for (int c = 0; c < grid.columns; ++c) {
                const std::size_t tile = static_cast<std::size_t>(r) * grid.columns + c;
                const bool textured = !flat[tile];
                sums_[at(r + 1, c + 1)] = (textured ? depths[tile] : 0.0L) + sums_[at(r, c + 1)] +
                                          sums_[at(r + 1, c)] - sums_[at(r, c)];
                counts_[at(r + 1, c + 1)] = (textured ? 1 : 0) + counts_[at(r, c + 1)] +
                                            counts_[at(r + 1, c)] - counts_[at(r, c)];
            }
        }
    }

    // Over rows top..bottom and columns left..right, inclusive and inside the grid.
    long double sum(int top, int left, int bottom, int right) const {
        return sums_[at(bottom + 1, right + 1)] - sums_[at(top, right + 1)] -
               sums_[at(bottom + 1, left)] + sums_[at(top, left)];
    }
    long long count(int top, int left, int bottom, int right) const {
        return counts_[at(bottom + 1, right + 1)] - counts_[at(top, right + 1)] -
               counts_[at(bottom + 1, left)] + counts_[at(top, left)];
    }

  private:
    std::size_t at(int row, int column) const {
        return static_cast<std::size_t>(row) * (columns_ + 1) + column;
    }
    int columns_;
    std::vector<long double> sums_;
    std::vector<long long> counts_;
};

// Each tile's distance to the nearest textured tile, the larger of the row and column distances:
// a forward and a backward pass over the eight neighbours, exact for that distance.
std::vector<int> distances_to_texture(const TileGrid& grid, const std::vector<bool>& flat) {
    const int rows = grid.rows;
    const int columns = grid.columns;
    std::vector<int> distance(flat.size());
    const auto index = [columns](int r, int c) {
        return static_cast<std::size_t>(r) * columns + c;
    };
    for (std::size_t tile = 0; tile < flat.size(); ++tile) {
        distance[tile] = flat[tile] ? INT_MAX - 1 : 0;
    }
    const auto relax = [&](int r, int c, int dr, int dc) {
        const int nr = r + dr;
        const int nc = c + dc;
        if (nr >= 0 && nr < rows && nc >= 0 && nc < columns) {
            distance[index(r, c)] = std::min(distance[index(r, c)], distance[index(nr, nc)] + 1);
        }
    };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            relax(r, c, -1, -1), relax(r, c, -1, 0), relax(r, c, -1, 1), relax(r, c, 0, -1);
        }
    }
    for (int r = rows - 1; r >= 0; --r) {
        for (int c = columns - 1; c >= 0; --c) {
            relax(r, c, 1, 1), relax(r, c, 1, 0), relax(r, c, 1, -1), relax(r, c, 0, 1);
        }
    }
    return distance;
}

}  // namespace

std::vector<double> filled_tile_depths(const TileGrid& grid, const std::vector<double>& depths,
                                       const std::vector<bool>& flat, double when_all_flat) {
    if (std::all_of(flat.begin(), flat.end(), [](bool each) { return each; })) {
        return std::vector<double>(flat.size(), when_all_flat);
    }
    std::vector<double> filled = depths;
    const std::vector<int> distance = distances_to_texture(grid, flat);
    const BoxSums boxes(grid, depths, flat);
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const std::size_t tile = static_cast<std::size_t>(row) * grid.columns + column;
            if (!flat[tile]) continue;
            const int d = distance[tile];
            // The box of radius d: no textured tile lies nearer, so those in it are the nearest.
            const int top = std::max(row - d, 0);
            const int bottom = std::min(row + d, grid.rows - 1);
            const int left = std::max(column - d, 0);
            const int right = std::min(column + d, grid.columns - 1);
            const long double sum = boxes.sum(top, left, bottom, right);
            const long long count = boxes.count(top, left, bottom, right);
            filled[tile] = static_cast<double>(sum / count);
        }
    }
    return filled;
}

}  // namespace bestfocus
