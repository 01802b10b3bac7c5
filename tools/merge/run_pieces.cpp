#include "run_pieces.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <system_error>

#include "read_file.h"
#include "report_file.h"
#include "text_numbers.h"

namespace bestfocus {
namespace {

constexpr const char kPiecePrefix[] = "folders_";
constexpr const char kRangeSeparator[] = "_to_";
// Four short "key=value" lines.
constexpr std::uint64_t kLongestCompletionMark = 4096;

bool read_completion_mark(const std::string& path, RunPiece& piece, std::string& problem) {
    std::string text;
    std::string reason;
    if (!read_regular_file(path, kLongestCompletionMark, text, reason)) {
        problem = piece.name + ": its completion mark " + path + " " + reason;
        return false;
    }
    return parse_completion_mark(text, piece, problem);
}

}  // namespace

bool parse_completion_mark(const std::string& text, RunPiece& piece, std::string& problem) {
    std::istringstream lines(text);
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    int first = 0;
    int last = 0;
    if (!parse_whole_int(values["first"], first) || !parse_whole_int(values["last"], last) ||
        !parse_whole_double(values["start"], piece.start_seconds) ||
        !parse_whole_double(values["end"], piece.end_seconds) ||
        !(0 <= piece.start_seconds && piece.start_seconds <= piece.end_seconds &&
          piece.end_seconds - piece.start_seconds <= kLongestReportSeconds)) {
        problem =
            piece.name + ": its completion mark " + piece.path + kCompletionMark + " is damaged";
        return false;
    }
    if (first != piece.first_folder || last != piece.last_folder) {
        problem = piece.name + ": its completion mark is for folders " + std::to_string(first) +
                  " to " + std::to_string(last);
        return false;
    }
    std::string record_problem;
    if (!parse_piece_record(text, &piece.record, &record_problem)) {
        problem = piece.name + ": " + record_problem;
        return false;
    }
    piece.complete = true;
    return true;
}

bool is_piece_name(const std::string& name) {
    return name.compare(0, std::strlen(kPiecePrefix), kPiecePrefix) == 0;
}

bool parse_piece_name(const std::string& name, int& first_folder, int& last_folder) {
    const std::string prefix = kPiecePrefix;
    const std::size_t separator = name.find(kRangeSeparator, prefix.size());
    return is_piece_name(name) && separator != std::string::npos &&
           parse_canonical_int(name.substr(prefix.size(), separator - prefix.size()),
                               first_folder) &&
           parse_canonical_int(name.substr(separator + std::strlen(kRangeSeparator)),
                               last_folder) &&
           first_folder <= last_folder;
}

bool find_run_pieces(const std::string& run_folder, std::vector<RunPiece>& pieces,
                     std::string& problem) {
    namespace fs = std::filesystem;
    pieces.clear();
    std::error_code error;
    if (!fs::is_directory(run_folder, error)) {
        problem = run_folder + " is not a folder";
        return false;
    }
    for (fs::directory_iterator entry(run_folder, error), end; !error && entry != end;
         entry.increment(error)) {
        RunPiece piece;
        piece.name = entry->path().filename().string();
        std::error_code type_error;
        if (!entry->is_directory(type_error) || !is_piece_name(piece.name)) {
            continue;
        }
        if (!parse_piece_name(piece.name, piece.first_folder, piece.last_folder)) {
            problem = piece.name + " is not a piece: its name must be folders_<first>_to_<last>, " +
                      "whole numbers from " + std::to_string(INT_MIN) + " to " +
                      std::to_string(INT_MAX) + " with first <= last";
            return false;
        }
        piece.path = entry->path().string() + "/";
        const std::string mark = piece.path + kCompletionMark;
        if (fs::exists(mark, type_error) && !read_completion_mark(mark, piece, problem)) {
            return false;
        }
        pieces.push_back(piece);
    }
    if (error) {
        problem = "cannot list " + run_folder + ": " + error.message();
        return false;
    }
    std::sort(pieces.begin(), pieces.end(), [](const RunPiece& a, const RunPiece& b) {
        return a.first_folder != b.first_folder ? a.first_folder < b.first_folder
                                                : a.last_folder < b.last_folder;
    });
    return true;
}

}  // namespace bestfocus
