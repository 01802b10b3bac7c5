#include "piece_outputs.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace bestfocus {
namespace {

bool read_whole_file(const std::string& path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    bytes = text.str();
    return file.good() || file.eof();
}

template <typename Row>
bool read_piece_table(const RunPiece& piece, const std::string& file_name,
                      std::optional<Row> (*parse_row)(const std::string&), FolderRows<Row>& table,
                      std::string& problem) {
    const std::string path = piece.path + file_name;
    std::string bytes;
    if (!std::filesystem::exists(path) || !read_whole_file(path, bytes)) {
        problem = piece.name + " has no " + file_name;
        return false;
    }
    const std::string where = piece.name + "/" + file_name;
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
        if (row->folder < previous_folder || row->folder > piece.last_folder) {
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

}  // namespace

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
        std::optional<Report> report;
        if (!read_whole_file(entry->path().string(), bytes) ||
            !(report = parse_report(bytes, piece.folder_count()))) {
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

bool read_piece_scores(const RunPiece& piece, FolderRows<ScoreRow>& table, std::string& problem) {
    return read_piece_table(piece, kPieceScoresFile, parse_score_row, table, problem);
}

bool read_piece_summary(const RunPiece& piece, FolderRows<SummaryRow>& table,
                        std::string& problem) {
    return read_piece_table(piece, kPieceSummaryFile, parse_summary_row, table, problem);
}

}  // namespace bestfocus
