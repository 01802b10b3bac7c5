// libFuzzer target of the merge's piece parser: any bytes as a report, a scores, summary, tile
// scores or tile summary file, a completion mark or a piece's folder name (the first byte chooses
// which). Besides what the
// sanitizers catch, whatever parses must be what bestfocus writes: written again from the parsed
// values, it is the same bytes (or, for a table, parses again to the same rows), and its numbers
// lie in the piece's range.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "piece_outputs.h"
#include "run_pieces.h"

namespace {

using namespace bestfocus;

// The piece the bytes are read as part of: a small range, so that tables and reports can cover it.
RunPiece test_piece() {
    RunPiece piece;
    piece.name = "folders_-1_to_2";
    piece.path = "folders_-1_to_2/";
    piece.first_folder = -1;
    piece.last_folder = 2;
    return piece;
}

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

template <typename Row>
void check_table(const std::string& text, std::optional<Row> (*parse_row)(const std::string&),
                 std::string (*line)(const Row&)) {
    const RunPiece piece = test_piece();
    FolderRows<Row> table;
    std::string problem;
    if (!parse_piece_table(text, piece, "fuzz", parse_row, table, problem)) {
        require(!problem.empty());
        return;
    }
    require(table.by_folder.size() == static_cast<std::size_t>(piece.folder_count()));
    std::string rewritten = table.header + "\n";
    for (const auto& [folder, rows] : table.by_folder) {
        require(folder >= piece.first_folder && folder <= piece.last_folder && !rows.empty());
        for (const Row& row : rows) {
            rewritten += line(row);
        }
    }
    FolderRows<Row> again;
    require(parse_piece_table(rewritten, piece, "fuzz", parse_row, again, problem));
    std::string twice = again.header + "\n";
    for (const auto& [folder, rows] : again.by_folder) {
        for (const Row& row : rows) {
            twice += line(row);
        }
    }
    require(twice == rewritten);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 7) {
        case 0: {
            const std::int64_t folders = test_piece().folder_count();
            if (const std::optional<Report> report = parse_report(text, folders)) {
                require(report->best_images.size() == static_cast<std::size_t>(folders));
                require(report_text(report->best_images, report->seconds) == text);
                require(text.size() <= longest_report_bytes(folders));
            }
            break;
        }
        case 1: check_table(text, parse_score_row, score_row_line); break;
        case 2: check_table(text, parse_summary_row, summary_row_line); break;
        case 5: check_table(text, parse_tile_score_row, tile_score_row_line); break;
        case 6: check_table(text, parse_tile_summary_row, tile_summary_row_line); break;
        case 3: {
            RunPiece piece = test_piece();
            std::string problem;
            if (parse_completion_mark(text, piece, problem)) {
                require(piece.complete && piece.start_seconds >= 0 &&
                        piece.end_seconds - piece.start_seconds <= kLongestReportSeconds);
            }
            break;
        }
        default: {
            int first = 0;
            int last = 0;
            if (parse_piece_name(text, first, last)) {
                require(first <= last &&
                        "folders_" + std::to_string(first) + "_to_" + std::to_string(last) == text);
            }
            if (const std::optional<ReportName> name = parse_report_file_name(text)) {
                require(report_file_name(name->first_folder, name->last_folder, name->method) ==
                        text);
            }
        }
    }
    return 0;
}
