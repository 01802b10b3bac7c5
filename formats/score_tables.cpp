#include "score_tables.h"

#include "flag_text.h"
#include "focus_curve.h"
#include "text_numbers.h"

namespace bestfocus {
namespace {

// The comma-separated fields of a line; nothing unless there are exactly `count`.
std::optional<std::vector<std::string>> split_fields(const std::string& line, std::size_t count) {
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos || fields.size() > count) {
            break;
        }
        start = comma + 1;
    }
    if (fields.size() != count) {
        return std::nullopt;
    }
    return fields;
}

bool parse_positive_int(const std::string& text, int& value) {
    return parse_whole_int(text, value) && value >= 1;
}

}  // namespace

std::string score_row_line(const ScoreRow& row) {
    return std::to_string(row.folder) + ',' + std::to_string(row.image) + ',' +
           std::to_string(row.method) + ',' + exact_decimal(row.score) + ',' +
           (row.relative_score ? exact_decimal(*row.relative_score) : std::string()) + ',' +
           (row.best ? '1' : '0') + '\n';
}

std::string summary_row_line(const SummaryRow& row) {
    return std::to_string(row.folder) + ',' + std::to_string(row.method) + ',' +
           std::to_string(row.best) + ',' + exact_decimal(row.fractional_best) + ',' +
           flag_list(row.flags) + z_field(row.with_z, row.z_um) + '\n';
}

bool has_z_column(const std::vector<FolderScores>& folders) {
    for (const FolderScores& folder : folders) {
        if (folder.microscope) return true;
    }
    return false;
}

std::optional<double> folder_z_um(const FolderScores& folder, double fractional_best) {
    return folder.microscope ? z_position_um(*folder.microscope, fractional_best) : std::nullopt;
}

std::optional<ScoreRow> parse_score_row(const std::string& line) {
    const auto fields = split_fields(line, 6);
    ScoreRow row;
    double relative = 0;
    if (!fields || !parse_whole_int((*fields)[0], row.folder) ||
        !parse_positive_int((*fields)[1], row.image) ||
        !parse_positive_int((*fields)[2], row.method) ||
        !parse_whole_double((*fields)[3], row.score) ||
        !((*fields)[4].empty() || parse_whole_double((*fields)[4], relative)) ||
        ((*fields)[5] != "0" && (*fields)[5] != "1")) {
        return std::nullopt;
    }
    if (!(*fields)[4].empty()) {
        row.relative_score = relative;
    }
    row.best = (*fields)[5] == "1";
    return row;
}

std::optional<SummaryRow> parse_summary_row(const std::string& line) {
    SummaryRow row;
    auto fields = split_fields(line, 5);
    if (!fields) {
        fields = split_fields(line, 6);
        row.with_z = true;
        if (fields && !parse_z_field((*fields)[5], &row.z_um)) return std::nullopt;
    }
    std::optional<FlagSet> flags;
    if (!fields || !parse_whole_int((*fields)[0], row.folder) ||
        !parse_positive_int((*fields)[1], row.method) ||
        !parse_positive_int((*fields)[2], row.best) ||
        !parse_whole_double((*fields)[3], row.fractional_best) ||
        !(flags = parse_flag_list((*fields)[4]))) {
        return std::nullopt;
    }
    row.flags = *flags;
    return row;
}

std::string scores_table(const std::vector<FolderScores>& folders) {
    std::string table = std::string(kScoresHeader) + '\n';
    for (const FolderScores& folder : folders) {
        std::vector<double> bests;
        for (const MethodScores& method : folder.methods) {
            bests.push_back(method.scores[static_cast<std::size_t>(method.best_number - 1)]);
        }
        // Every method scored the same images of the folder.
        const std::size_t images = folder.methods.empty() ? 0 : folder.methods[0].scores.size();
        for (std::size_t image = 0; image < images; ++image) {
            for (std::size_t m = 0; m < folder.methods.size(); ++m) {
                const MethodScores& method = folder.methods[m];
                ScoreRow row;
                row.folder = folder.folder;
                row.image = static_cast<int>(image) + 1;
                row.method = method.method;
                row.score = method.scores[image];
                if (bests[m] != 0.0) {
                    row.relative_score = row.score / bests[m];
                }
                row.best = row.image == method.best_number;
                table += score_row_line(row);
            }
        }
    }
    return table;
}

std::string summary_table(const std::vector<FolderScores>& folders) {
    const bool with_z = has_z_column(folders);
    std::string table = std::string(kSummaryHeader) + (with_z ? kZColumn : "") + '\n';
    for (const FolderScores& folder : folders) {
        for (const MethodScores& method : folder.methods) {
            const double between = fractional_best(method.scores, method.best_number);
            table += summary_row_line({folder.folder, method.method, method.best_number, between,
                                       method_flags(folder, method), with_z,
                                       folder_z_um(folder, between)});
        }
    }
    return table;
}

}  // namespace bestfocus
