// The scores and summary files: every image's score, and what each folder's curves say. Written
// by the tool from its results, read back and written again row by row by the merge.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "curve_flags.h"
#include "folder_scores.h"

namespace bestfocus {

// The header lines, without their "\n".
constexpr char kScoresHeader[] = "folder,image,method,score,relative_score,best";
constexpr char kSummaryHeader[] = "folder,method,best,fractional_best,flags";
// The last column of the summary and tile summary files of a run with a microscope file among its
// stacks (one whose description gives its dimensions): the focus between images as a Z position
// in micrometres, empty where the file gives no Z step. Runs of other stacks write no such column.
constexpr char kZColumn[] = ",z_um";

// The most bytes a row (or header) line takes: three ints of at most 11 characters, two doubles of
// at most 24 (%.17g), all the flags, separators and "\n".
constexpr std::size_t kLongestRowBytes = 3 * 11 + 2 * 24 + 28 + 6;

// One row of the scores file.
struct ScoreRow {
    int folder = 0;
    int image = 1;   // from 1
    int method = 1;  // a method code, at least 1
    double score = 0;
    std::optional<double> relative_score;  // none when the method's best score is 0
    bool best = false;
};

// One row of the summary file.
struct SummaryRow {
    int folder = 0;
    int method = 1;
    int best = 1;
    double fractional_best = 1;
    FlagSet flags;
    bool with_z = false;         // the row has the z_um column
    std::optional<double> z_um;  // and its value, when known
};

// Whether any folder's stack is a microscope file: its run's summaries have the z_um column.
bool has_z_column(const std::vector<FolderScores>& folders);

// The z_um field, without its comma: the focus between images `fractional_best` of the folder
// as a Z position in micrometres; empty where unknown.
std::optional<double> folder_z_um(const FolderScores& folder, double fractional_best);

// A row as its line, ending in "\n": numbers in decimal, doubles with %.17g (they read back to
// the same double), best as 1 or 0, flags as flag_list writes them.
std::string score_row_line(const ScoreRow& row);
std::string summary_row_line(const SummaryRow& row);

// A line (without "\n") read back (a summary row with or without the z_um column): every field
// what it must be (image, method and best at least
// 1, finite doubles, known flags); nothing otherwise.
std::optional<ScoreRow> parse_score_row(const std::string& line);
std::optional<SummaryRow> parse_summary_row(const std::string& line);

// CSV (RFC 4180, CRLF-free: "\n" line ends, which every CSV reader takes), kScoresHeader, then
// one row per image and method in folder, image, method order. relative_score is the score over
// the folder's best score for that method, empty when that best is 0 (nothing to compare with);
// best is 1 on the picked image, else 0.
std::string scores_table(const std::vector<FolderScores>& folders);

// CSV with kSummaryHeader, one row per folder and method: the pick, the focus estimated between
// images, and the warnings of the method's curve (method_flags); kZColumn last in a run of
// microscope files.
std::string summary_table(const std::vector<FolderScores>& folders);

}  // namespace bestfocus
