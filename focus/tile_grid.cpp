#include "tile_grid.h"

#include <cctype>
#include <cstdlib>

namespace bestfocus {
namespace {

// Digits only, from 1 to kMostTilesPerSide.
std::optional<int> tile_count(const std::string& text) {
    if (text.empty() || text.size() > 7) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }
    const long number = std::strtol(text.c_str(), nullptr, 10);
    if (number < 1 || number > kMostTilesPerSide) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

// floor(index · length / parts), without overflow.
int split_point(int index, int length, int parts) {
    return static_cast<int>(static_cast<long long>(index) * length / parts);
}

}  // namespace

std::optional<TileGrid> parse_tile_grid(const std::string& text) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<int> rows = tile_count(text.substr(0, x));
    const std::optional<int> columns = tile_count(text.substr(x + 1));
    if (!rows || !columns) {
        return std::nullopt;
    }
    return TileGrid{*rows, *columns};
}

RegionOfInterest tile_rectangle(const TileGrid& grid, const RegionOfInterest& area, int row,
                                int column) {
    const int left = split_point(column, area.width, grid.columns);
    const int top = split_point(row, area.height, grid.rows);
    return {area.x + left, area.y + top, split_point(column + 1, area.width, grid.columns) - left,
            split_point(row + 1, area.height, grid.rows) - top};
}

}  // namespace bestfocus
