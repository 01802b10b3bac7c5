#include "run_merge.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>
#include <map>

#include "piece_outputs.h"
#include "run_pieces.h"

namespace {

// What one complete piece holds, as read from its folder.
struct PieceContents {
    const RunPiece* piece = nullptr;
    std::map<int, std::vector<int>> picks_by_method;
    FolderTable scores;
    FolderTable summary;
};

std::string folder_span(int first, int last) {
    return first == last ? "folder " + std::to_string(first)
                         : "folders " + std::to_string(first) + " to " + std::to_string(last);
}

bool overlaps(const RunPiece& piece, const MergeRequest& request) {
    return piece.last_folder >= request.first_folder && piece.first_folder <= request.last_folder;
}

bool covers(const RunPiece& piece, int folder) {
    return piece.first_folder <= folder && folder <= piece.last_folder;
}

bool covered(const std::vector<RunPiece>& pieces, int folder) {
    return std::any_of(pieces.begin(), pieces.end(),
                       [folder](const RunPiece& piece) { return covers(piece, folder); });
}

// The first run of folders of the range that no piece covers; false when there is none.
bool find_uncovered_span(const std::vector<RunPiece>& pieces, const MergeRequest& request,
                         int& first, int& last) {
    for (int folder = request.first_folder; folder <= request.last_folder; ++folder) {
        if (!covered(pieces, folder)) {
            first = last = folder;
            while (last < request.last_folder && !covered(pieces, last + 1)) {
                ++last;
            }
            return true;
        }
    }
    return false;
}

bool read_contents(const RunPiece& piece, const MergeRequest& request, PieceContents& contents,
                   std::string& problem) {
    contents.piece = &piece;
    return read_piece_reports(piece, contents.picks_by_method, problem) &&
           (request.scores_file.empty() ||
            read_piece_table(piece, kPieceScoresFile, contents.scores, problem)) &&
           (request.summary_file.empty() ||
            read_piece_table(piece, kPieceSummaryFile, contents.summary, problem));
}

// Every piece must hold the same methods and the same CSV headers as the first.
bool same_outputs(const PieceContents& a, const PieceContents& b, std::string& problem) {
    for (const auto* one : {&a, &b}) {
        const auto* other = one == &a ? &b : &a;
        for (const auto& [method, picks] : one->picks_by_method) {
            if (other->picks_by_method.count(method) == 0) {
                problem = other->piece->name + " has no report of method " +
                          std::to_string(method) + ", which " + one->piece->name + " has";
                return false;
            }
        }
    }
    if (a.scores.header != b.scores.header || a.summary.header != b.summary.header) {
        problem = a.piece->name + " and " + b.piece->name + " have CSV files of other columns";
        return false;
    }
    return true;
}

// The folder's results as a piece has them: its pick for every method, then its CSV rows.
std::string folder_results(const PieceContents& contents, int folder) {
    std::string results;
    for (const auto& [method, picks] : contents.picks_by_method) {
        results += std::to_string(picks[folder - contents.piece->first_folder]) + " ";
    }
    const auto rows = [folder](const FolderTable& table) {
        const auto found = table.rows_by_folder.find(folder);
        return found == table.rows_by_folder.end() ? std::string() : found->second;
    };
    return results + rows(contents.scores) + rows(contents.summary);
}

std::string merged_report(const std::vector<const PieceContents*>& source_of_folder, int method,
                          int first_folder, double seconds) {
    std::string bytes;
    for (std::size_t i = 0; i < source_of_folder.size(); ++i) {
        const PieceContents& contents = *source_of_folder[i];
        const int folder = first_folder + static_cast<int>(i);
        bytes += std::to_string(
                     contents.picks_by_method.at(method)[folder - contents.piece->first_folder]) +
                 "\n";
    }
    char time_line[64];
    std::snprintf(time_line, sizeof time_line, "\nTotal time: %f seconds...", seconds);
    return bytes + time_line;
}

std::string merged_table(const std::vector<const PieceContents*>& source_of_folder,
                         FolderTable PieceContents::*table, int first_folder) {
    std::string bytes = (source_of_folder.front()->*table).header + "\n";
    for (std::size_t i = 0; i < source_of_folder.size(); ++i) {
        bytes +=
            (source_of_folder[i]->*table).rows_by_folder.at(first_folder + static_cast<int>(i));
    }
    return bytes;
}

}  // namespace

MergeResult merge_run(const MergeRequest& request) {
    MergeResult result;
    if (request.first_folder > request.last_folder) {
        result.refusal = "the first folder comes after the last";
        return result;
    }
    if (request.last_folder == INT_MAX) {  // the loops over the range step past the last folder
        result.refusal = "the last folder must be below " + std::to_string(INT_MAX);
        return result;
    }
    std::vector<RunPiece> all_pieces;
    if (!find_run_pieces(request.run_folder, all_pieces, result.refusal)) {
        return result;
    }
    std::vector<RunPiece> pieces;
    std::copy_if(all_pieces.begin(), all_pieces.end(), std::back_inserter(pieces),
                 [&request](const RunPiece& piece) { return overlaps(piece, request); });
    for (const RunPiece& piece : pieces) {
        if (!piece.complete) {
            result.refusal = piece.name + " is incomplete (it has no completion mark): run the " +
                             "array again to redo it";
            return result;
        }
    }
    int uncovered_first = 0;
    int uncovered_last = 0;
    if (find_uncovered_span(pieces, request, uncovered_first, uncovered_last)) {
        result.refusal = folder_span(uncovered_first, uncovered_last) + " of " +
                         folder_span(request.first_folder, request.last_folder) +
                         (uncovered_first == uncovered_last ? " is" : " are") + " in no piece of " +
                         request.run_folder;
        return result;
    }

    std::vector<PieceContents> contents(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!read_contents(pieces[i], request, contents[i], result.refusal) ||
            !same_outputs(contents.front(), contents[i], result.refusal)) {
            return result;
        }
    }
    // Each folder's results come from the first piece that has it; any other must agree.
    std::vector<const PieceContents*> source_of_folder;
    for (int folder = request.first_folder; folder <= request.last_folder; ++folder) {
        const PieceContents* source = nullptr;
        for (const PieceContents& candidate : contents) {
            if (!covers(*candidate.piece, folder)) {
                continue;
            }
            if (source == nullptr) {
                source = &candidate;
            } else if (folder_results(*source, folder) != folder_results(candidate, folder)) {
                result.refusal = "folder " + std::to_string(folder) + " is in " +
                                 source->piece->name + " and " + candidate.piece->name +
                                 " with different results";
                return result;
            }
        }
        source_of_folder.push_back(source);
    }

    double start = pieces.front().start_seconds;
    double end = pieces.front().end_seconds;
    for (const RunPiece& piece : pieces) {
        start = std::min(start, piece.start_seconds);
        end = std::max(end, piece.end_seconds);
    }
    result.wall_seconds = end - start;
    for (const auto& [method, picks] : contents.front().picks_by_method) {
        result.outputs.push_back(
            {report_file_name(request.first_folder, request.last_folder, method),
             merged_report(source_of_folder, method, request.first_folder, result.wall_seconds)});
    }
    if (!request.scores_file.empty()) {
        result.outputs.push_back(
            {request.scores_file,
             merged_table(source_of_folder, &PieceContents::scores, request.first_folder)});
    }
    if (!request.summary_file.empty()) {
        result.outputs.push_back(
            {request.summary_file,
             merged_table(source_of_folder, &PieceContents::summary, request.first_folder)});
    }
    result.pieces_used = static_cast<int>(pieces.size());
    result.merged = true;
    return result;
}
