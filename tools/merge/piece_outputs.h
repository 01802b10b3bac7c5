// What a complete piece of a run holds: the report of each method, and the per-folder CSV files
// (scores, summary) when the run wrote them, each read back through formats/.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report_file.h"
#include "run_pieces.h"
#include "score_tables.h"
#include "tile_rows.h"

namespace bestfocus {

// The reports in the piece's folder that cover exactly its range, by method code. Returns false
// with `problem` set when the folder holds no report or one that is not complete.
bool read_piece_reports(const RunPiece& piece, std::map<int, Report>& reports_by_method,
                        std::string& problem);

// A CSV file of the piece: its header line as written, and its rows by folder, in file order.
template <typename Row>
struct FolderRows {
    std::string header;
    std::map<int, std::vector<Row>> by_folder;
};

// Parses the bytes of a CSV file of the piece (`where` names it in problems): a header line, then
// rows that parse_row reads, naming folders of the piece in order, every folder at least once, the
// last line complete. Otherwise false with `problem` set. For scores and summary rows.
template <typename Row>
bool parse_piece_table(const std::string& bytes, const RunPiece& piece, const std::string& where,
                       std::optional<Row> (*parse_row)(const std::string&), FolderRows<Row>& table,
                       std::string& problem);

// Reads the piece's CSV file `file_name` as parse_piece_table parses it: a regular file of at most
// `rows` rows of at most longest_row_bytes besides its header (a count that saturates at
// UINT64_MAX: no bound). For scores, summary, tile scores and tile summary rows.
template <typename Row>
bool read_piece_table(const RunPiece& piece, const std::string& file_name, std::uint64_t rows,
                      std::size_t longest_row_bytes,
                      std::optional<Row> (*parse_row)(const std::string&), FolderRows<Row>& table,
                      std::string& problem);

// The most images per stack the merge reads scores of: it bounds the size of a scores file.
constexpr std::uint64_t kMostImagesPerStack = 1000000;

// Reads the piece's scores.csv or summary.csv, of a run of `methods` methods: a regular file no
// larger than such a file of the piece's folders can be. Every row must parse, name a folder of
// the piece, come in folder order, and every folder of the piece must have at least one row;
// otherwise false with `problem` set.
bool read_piece_scores(const RunPiece& piece, std::size_t methods, FolderRows<ScoreRow>& table,
                       std::string& problem);
bool read_piece_summary(const RunPiece& piece, std::size_t methods, FolderRows<SummaryRow>& table,
                        std::string& problem);

// What one complete piece holds, as read from its folder (the tables empty when not asked for).
struct PieceContents {
    const RunPiece* piece = nullptr;
    std::map<int, Report> reports_by_method;
    FolderRows<ScoreRow> scores;
    FolderRows<SummaryRow> summary;
    FolderRows<TileScoreRow> tile_scores;
    FolderRows<TileSummaryRow> tile_summary;
};

}  // namespace bestfocus
