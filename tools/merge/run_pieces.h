// The pieces of a run folder: one subfolder "folders_<first>_to_<last>" per slice of the folder
// range, marked complete by a file "complete" that the slice's task writes last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "piece_record.h"

namespace bestfocus {

// The file names the pieces' CSV files have (the array script gives them these names).
constexpr const char kPieceScoresFile[] = "scores.csv";
constexpr const char kPieceSummaryFile[] = "summary.csv";
// The file whose presence marks a piece complete, written last by the slice's task.
constexpr const char kCompletionMark[] = "complete";

struct RunPiece {
    std::string name;  // "folders_<first>_to_<last>"
    std::string path;  // run folder + name + "/"
    int first_folder = 0;
    int last_folder = 0;  // inclusive
    bool complete = false;
    // From the completion mark: seconds since the epoch when the slice's bestfocus started and
    // ended.
    double start_seconds = 0;
    double end_seconds = 0;
    PieceRecord record;  // the options and maps the completion mark records

    std::int64_t folder_count() const {
        return static_cast<std::int64_t>(last_folder) - first_folder + 1;
    }
};

// The pieces of the run folder, in order of their first folder (then last). Entries with other
// names are not pieces and are left out. Returns false with `problem` set when the folder cannot
// be listed, a folder named like a piece does not parse as one, or a completion mark does not
// match its piece.
bool find_run_pieces(const std::string& run_folder, std::vector<RunPiece>& pieces,
                     std::string& problem);

// Reads the "key=value" lines of a piece's completion mark (first, last, start, end) into the
// piece and marks it complete. The mark must name the piece's own range (a piece folder renamed or
// copied by hand is not taken for another) and times a report can say: 0 <= start <= end, at most
// kLongestReportSeconds apart. Otherwise false with `problem` set.
bool parse_completion_mark(const std::string& text, RunPiece& piece, std::string& problem);

// Whether the name starts as a piece's does ("folders_").
bool is_piece_name(const std::string& name);

// Parses "folders_<first>_to_<last>", both ints as std::to_string writes them, first <= last;
// false for any other name.
bool parse_piece_name(const std::string& name, int& first_folder, int& last_folder);

}  // namespace bestfocus
