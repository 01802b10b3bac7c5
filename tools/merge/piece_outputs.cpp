#include "piece_outputs.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <sstream>
#include <system_error>

#include "read_file.h"

namespace bestfocus {
namespace {

// a * b * c, or the largest value when that does not fit.
std::uint64_t saturated_product(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    std::uint64_t ab = 0;
    std::uint64_t abc = 0;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(ab, c, &abc)) {
        return UINT64_MAX;
    }
    return abc;
}

}  // namespace

template <typename Row>
bool read_piece_table(const RunPiece& piece, const std::string& file_name, std::uint64_t rows,
                      std::size_t longest_row_bytes,
                      std::optional<Row> (*parse_row)(const std::string&), FolderRows<Row>& table,
                      std::string& problem) {
    const std::string path = piece.path + file_name;
    const std::string where = piece.name + "/" + file_name;
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        problem = piece.name + " has no " + file_name;
        return false;
    }
    std::string bytes;
    std::string reason;
    const std::uint64_t header_and_rows = rows == UINT64_MAX ? rows : rows + 1;
    if (!read_regular_file(path, saturated_product(header_and_rows, longest_row_bytes, 1), bytes,
                           reason)) {
        problem = where + " " + reason;
        return false;
    }
    return parse_piece_table(bytes, piece, where, parse_row, table, problem);
}

template <typename Row>
bool parse_piece_table(const std::string& bytes, const RunPiece& piece, const std::string& where,
                       std::optional<Row> (*parse_row)(const std::string&), FolderRows<Row>& table,
                       std::string& problem) {
    if (bytes.empty() || bytes.back() != '\n') {
        problem = where + " does not end with a complete line";
        return false;
    }
    std::istringstream lines(bytes);
    std::getline(lines, table.header);
    table.by_folder.clear();
    // Folders come in order, each right after the one before: the rows cover the piece's range
    // when the last is its last folder.
    long long previous_folder = static_cast<long long>(piece.first_folder) - 1;
    std::optional<long long> first_missing;
    for (std::string line; std::getline(lines, line);) {
        const std::optional<Row> row = parse_row(line);
        if (!row) {
            problem = where + " has a row that bestfocus does not write: " + line;
            return false;
        }
        if (row->folder < previous_folder || row->folder < piece.first_folder ||
            row->folder > piece.last_folder) {
            problem = where + " has a row out of folder order or out of its range: " + line;
            return false;
        }
        if (row->folder > previous_folder + 1 && !first_missing) {
            first_missing = previous_folder + 1;
        }
        table.by_folder[row->folder].push_back(*row);
        previous_folder = row->folder;
    }
    if (!first_missing && previous_folder != piece.last_folder) {
        first_missing = previous_folder + 1;
    }
    if (first_missing) {
        problem = where + " has no row for folder " + std::to_string(*first_missing);
        return false;
    }
    return true;
}

// The tables a piece can hold.
#define BESTFOCUS_PIECE_TABLE(Row)                                                                \
    template bool parse_piece_table(const std::string&, const RunPiece&, const std::string&,      \
                                    std::optional<Row> (*)(const std::string&), FolderRows<Row>&, \
                                    std::string&);                                                \
    template bool read_piece_table(const RunPiece&, const std::string&, std::uint64_t,            \
                                   std::size_t, std::optional<Row> (*)(const std::string&),       \
                                   FolderRows<Row>&, std::string&);
BESTFOCUS_PIECE_TABLE(ScoreRow)
BESTFOCUS_PIECE_TABLE(SummaryRow)
BESTFOCUS_PIECE_TABLE(TileScoreRow)
BESTFOCUS_PIECE_TABLE(TileSummaryRow)
#undef BESTFOCUS_PIECE_TABLE

bool read_piece_reports(const RunPiece& piece, std::map<int, Report>& reports_by_method,
                        std::string& problem) {
    namespace fs = std::filesystem;
    reports_by_method.clear();
    std::error_code error;
    for (fs::directory_iterator entry(piece.path, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        const std::optional<ReportName> report_name = parse_report_file_name(name);
        if (!report_name || report_name->first_folder != piece.first_folder ||
            report_name->last_folder != piece.last_folder) {
            continue;
        }
        std::string bytes;
        std::string reason;
        if (!read_regular_file(entry->path().string(), longest_report_bytes(piece.folder_count()),
                               bytes, reason)) {
            problem = piece.name + ": " + name + " " + reason;
            return false;
        }
        const std::optional<Report> report = parse_report(bytes, piece.folder_count());
        if (!report) {
            problem = piece.name + ": " + name + " is not a complete report";
            return false;
        }
        reports_by_method[report_name->method] = *report;
    }
    if (error) {
        problem = "cannot list " + piece.path + ": " + error.message();
        return false;
    }
    if (reports_by_method.empty()) {
        problem = piece.name + " holds no report of folders " + std::to_string(piece.first_folder) +
                  " to " + std::to_string(piece.last_folder);
        return false;
    }
    return true;
}

bool read_piece_scores(const RunPiece& piece, std::size_t methods, FolderRows<ScoreRow>& table,
                       std::string& problem) {
    const std::uint64_t rows = saturated_product(static_cast<std::uint64_t>(piece.folder_count()),
                                                 methods, kMostImagesPerStack);
    return read_piece_table(piece, kPieceScoresFile, rows, kLongestRowBytes, parse_score_row, table,
                            problem);
}

bool read_piece_summary(const RunPiece& piece, std::size_t methods, FolderRows<SummaryRow>& table,
                        std::string& problem) {
    const std::uint64_t rows =
        saturated_product(static_cast<std::uint64_t>(piece.folder_count()), methods, 1);
    return read_piece_table(piece, kPieceSummaryFile, rows, kLongestRowBytes, parse_summary_row,
                            table, problem);
}

}  // namespace bestfocus
