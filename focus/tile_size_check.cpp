#include "tile_size_check.h"

#include "measure_registry.h"

namespace bestfocus {
namespace {

std::string size_text(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

std::string tile_size_problem(const TileGrid& grid, int width, int height,
                              const std::vector<int>& methods, const std::string& area_name) {
    const std::string asked =
        "--tiles=" + std::to_string(grid.rows) + "x" + std::to_string(grid.columns);
    if (grid.rows > height || grid.columns > width) {
        return "\nbestfocus: " + asked + " asks for more tiles on a side than " + area_name +
               " has pixels (" + size_text(width, height) + ")";
    }
    // Neighbouring tiles differ by at most one pixel: the smallest is the floor of the mean.
    const int tile_width = width / grid.columns;
    const int tile_height = height / grid.rows;
    for (const int code : methods) {
        const MeasureEntry& measure = *find_measure(code);
        const RegionSize smallest = smallest_measured_size(measure);
        if (tile_width < smallest.width || tile_height < smallest.height) {
            return "\nbestfocus: " + asked + " cuts " + area_name + " (" +
                   size_text(width, height) + ") into tiles as small as " +
                   size_text(tile_width, tile_height) + ", smaller than the window of " +
                   measure.long_name + ", which needs at least " +
                   size_text(smallest.width, smallest.height) + " pixels";
        }
        if (!measure_can_score(measure, tile_width, tile_height)) {
            return "\nbestfocus: " + asked + " cuts " + area_name + " (" +
                   size_text(width, height) + ") into tiles as small as " +
                   size_text(tile_width, tile_height) + ", too small for " + measure.long_name +
                   ", which scores 0 on every tile of that size";
        }
    }
    return "";
}

}  // namespace bestfocus
