#include "tile_tables.h"

#include "flag_text.h"
#include "score_tables.h"
#include "text_numbers.h"
#include "tile_picks.h"

namespace bestfocus {
namespace {

std::string fields(std::initializer_list<int> numbers) {
    std::string text;
    for (const int number : numbers) {
        text += std::to_string(number) + ',';
    }
    return text;
}

}  // namespace

std::string tile_scores_table(const std::vector<FolderScores>& folders) {
    std::string table = std::string(kTileScoresHeader) + '\n';
    for (const FolderScores& folder : folders) {
        const TileGrid& grid = folder.tiles;
        const std::size_t images = folder.images.size();
        for (std::size_t image = 0; image < images; ++image) {
            for (const MethodScores& method : folder.methods) {
                for (int row = 0; row < grid.rows; ++row) {
                    for (int column = 0; column < grid.columns; ++column) {
                        const std::size_t tile =
                            static_cast<std::size_t>(row) * grid.columns + column;
                        table += fields({folder.folder, static_cast<int>(image) + 1, method.method,
                                         row, column}) +
                                 exact_decimal(method.tile_scores[tile][image]) + '\n';
                    }
                }
            }
        }
    }
    return table;
}

std::string tile_summary_table(const std::vector<FolderScores>& folders) {
    const bool with_z = has_z_column(folders);
    std::string table = std::string(kTileSummaryHeader) + (with_z ? kZColumn : "") + '\n';
    for (const FolderScores& folder : folders) {
        for (std::size_t m = 0; m < folder.methods.size() && folder.tiles.rows > 0; ++m) {
            for (const TilePick& tile : tile_picks(folder, m)) {
                const RegionOfInterest& at = tile.rectangle;
                table += fields({folder.folder, folder.methods[m].method, tile.row, tile.column,
                                 at.x, at.y, at.width, at.height, tile.best}) +
                         exact_decimal(tile.fractional_best) + ',' + flag_list(tile.flags) +
                         z_field(with_z, folder_z_um(folder, tile.fractional_best)) + '\n';
            }
        }
    }
    return table;
}

}  // namespace bestfocus
