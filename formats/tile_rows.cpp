#include "tile_rows.h"

#include <vector>

#include "flag_text.h"
#include "text_numbers.h"

namespace bestfocus {
namespace {

// The comma-separated fields of a line; nothing unless there are exactly `count`.
std::optional<std::vector<std::string>> fields_of(const std::string& line, std::size_t count) {
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c != ',') {
            fields.back() += c;
        } else if (fields.size() == count) {
            return std::nullopt;
        } else {
            fields.emplace_back();
        }
    }
    if (fields.size() != count) {
        return std::nullopt;
    }
    return fields;
}

bool parse_at_least(const std::string& text, int least, int& value) {
    return parse_whole_int(text, value) && value >= least;
}

}  // namespace

std::string tile_score_row_line(const TileScoreRow& row) {
    return std::to_string(row.folder) + ',' + std::to_string(row.image) + ',' +
           std::to_string(row.method) + ',' + std::to_string(row.tile_row) + ',' +
           std::to_string(row.tile_col) + ',' + exact_decimal(row.score) + '\n';
}

std::string tile_summary_row_line(const TileSummaryRow& row) {
    std::string line;
    for (const int number : {row.folder, row.method, row.tile_row, row.tile_col, row.x, row.y,
                             row.width, row.height, row.best}) {
        line += std::to_string(number) + ',';
    }
    return line + exact_decimal(row.fractional_best) + ',' + flag_list(row.flags) +
           z_field(row.with_z, row.z_um) + '\n';
}

std::optional<TileScoreRow> parse_tile_score_row(const std::string& line) {
    const auto fields = fields_of(line, 6);
    TileScoreRow row;
    if (!fields || !parse_whole_int((*fields)[0], row.folder) ||
        !parse_at_least((*fields)[1], 1, row.image) ||
        !parse_at_least((*fields)[2], 1, row.method) ||
        !parse_at_least((*fields)[3], 0, row.tile_row) ||
        !parse_at_least((*fields)[4], 0, row.tile_col) ||
        !parse_whole_double((*fields)[5], row.score)) {
        return std::nullopt;
    }
    return row;
}

std::optional<TileSummaryRow> parse_tile_summary_row(const std::string& line) {
    TileSummaryRow row;
    auto fields = fields_of(line, 11);
    if (!fields) {
        fields = fields_of(line, 12);
        row.with_z = true;
        if (fields && !parse_z_field((*fields)[11], &row.z_um)) return std::nullopt;
    }
    std::optional<FlagSet> flags;
    if (!fields || !parse_whole_int((*fields)[0], row.folder) ||
        !parse_at_least((*fields)[1], 1, row.method) ||
        !parse_at_least((*fields)[2], 0, row.tile_row) ||
        !parse_at_least((*fields)[3], 0, row.tile_col) || !parse_at_least((*fields)[4], 0, row.x) ||
        !parse_at_least((*fields)[5], 0, row.y) || !parse_at_least((*fields)[6], 1, row.width) ||
        !parse_at_least((*fields)[7], 1, row.height) ||
        !parse_at_least((*fields)[8], 1, row.best) ||
        !parse_whole_double((*fields)[9], row.fractional_best) ||
        !(flags = parse_flag_list((*fields)[10]))) {
        return std::nullopt;
    }
    row.flags = *flags;
    return row;
}

}  // namespace bestfocus
