#include "run_merge.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <map>

#include "piece_agreement.h"
#include "piece_best_stack.h"
#include "piece_outputs.h"
#include "piece_tiles.h"
#include "run_pieces.h"

namespace bestfocus {
namespace {

std::string folder_span(long long first, long long last) {
    return first == last ? "folder " + std::to_string(first)
                         : "folders " + std::to_string(first) + " to " + std::to_string(last);
}

bool overlaps(const RunPiece& piece, const MergeRequest& request) {
    return piece.last_folder >= request.first_folder && piece.first_folder <= request.last_folder;
}

bool covers(const RunPiece& piece, int folder) {
    return piece.first_folder <= folder && folder <= piece.last_folder;
}

// The first run of folders of the range that no piece covers; false when there is none. The
// pieces are in order of their first folder.
bool find_uncovered_span(const std::vector<RunPiece>& pieces, const MergeRequest& request,
                         long long& first, long long& last) {
    long long next = request.first_folder;  // the first folder not yet covered
    for (const RunPiece& piece : pieces) {
        if (piece.first_folder > next) {
            break;
        }
        next = std::max(next, static_cast<long long>(piece.last_folder) + 1);
    }
    if (next > request.last_folder) {
        return false;
    }
    first = next;
    last = request.last_folder;
    for (const RunPiece& piece : pieces) {
        if (piece.first_folder > next) {
            last = std::min(last, static_cast<long long>(piece.first_folder) - 1);
        }
    }
    return true;
}

// The maps are checked against the tile summary, which the array script always has written.
bool reads_tile_summary(const MergeRequest& request) {
    return !request.tile_summary_file.empty() || !request.depth_map_folder.empty() ||
           !request.all_in_focus_folder.empty();
}

bool read_contents(const RunPiece& piece, const MergeRequest& request, PieceContents& contents,
                   std::string& problem) {
    contents.piece = &piece;
    return read_piece_reports(piece, contents.reports_by_method, problem) &&
           (request.tile_scores_file.empty() || read_piece_tile_scores(contents, problem)) &&
           (!reads_tile_summary(request) || read_piece_tile_summary(contents, problem)) &&
           (request.scores_file.empty() ||
            read_piece_scores(piece, contents.reports_by_method.size(), contents.scores,
                              problem)) &&
           (request.summary_file.empty() ||
            read_piece_summary(piece, contents.reports_by_method.size(), contents.summary,
                               problem));
}

// Every piece must hold the same methods and the same CSV headers as the first.
bool same_outputs(const PieceContents& a, const PieceContents& b, std::string& problem) {
    for (const auto* one : {&a, &b}) {
        const auto* other = one == &a ? &b : &a;
        for (const auto& [method, report] : one->reports_by_method) {
            if (other->reports_by_method.count(method) == 0) {
                problem = other->piece->name + " has no report of method " +
                          std::to_string(method) + ", which " + one->piece->name + " has";
                return false;
            }
        }
    }
    if (a.scores.header != b.scores.header || a.summary.header != b.summary.header ||
        a.tile_scores.header != b.tile_scores.header ||
        a.tile_summary.header != b.tile_summary.header) {
        problem = a.piece->name + " and " + b.piece->name + " have CSV files of other columns";
        return false;
    }
    return true;
}

template <typename Row>
std::string folder_lines(const FolderRows<Row>& table, int folder,
                         std::string (*line)(const Row&)) {
    std::string lines;
    const auto found = table.by_folder.find(folder);
    if (found != table.by_folder.end()) {
        for (const Row& row : found->second) {
            lines += line(row);
        }
    }
    return lines;
}

int pick_of(const PieceContents& contents, int method, int folder) {
    const std::vector<int>& picks = contents.reports_by_method.at(method).best_images;
    return picks[static_cast<std::size_t>(folder - contents.piece->first_folder)];
}

// The folder's results as a piece has them, as the merge would write them: its pick for every
// method, then its CSV rows.
std::string folder_results(const PieceContents& contents, int folder) {
    std::string results;
    for (const auto& [method, report] : contents.reports_by_method) {
        results += std::to_string(pick_of(contents, method, folder)) + " ";
    }
    return results + folder_lines(contents.scores, folder, score_row_line) +
           folder_lines(contents.summary, folder, summary_row_line) +
           folder_tile_lines(contents, folder);
}

// Whether the pieces' CSV files asked for have the columns bestfocus writes (the pieces have the
// same columns as the first).
bool known_columns(const MergeRequest& request, const PieceContents& first, std::string& problem) {
    const std::string where = first.piece->name + "/";
    if (!request.scores_file.empty() && first.scores.header != kScoresHeader) {
        problem = where + kPieceScoresFile + " has columns bestfocus does not write";
        return false;
    }
    if (!request.summary_file.empty() && first.summary.header != kSummaryHeader) {
        problem = where + kPieceSummaryFile + " has columns bestfocus does not write";
        return false;
    }
    if ((!request.tile_scores_file.empty() && first.tile_scores.header != kTileScoresHeader) ||
        (reads_tile_summary(request) && first.tile_summary.header != kTileSummaryHeader)) {
        problem = where + "tile tables have columns bestfocus does not write";
        return false;
    }
    return true;
}

template <typename Row>
std::string merged_table(const std::vector<const PieceContents*>& source_of_folder,
                         FolderRows<Row> PieceContents::*table, const char* header,
                         std::string (*line)(const Row&), int first_folder) {
    std::string text = std::string(header) + "\n";
    for (std::size_t i = 0; i < source_of_folder.size(); ++i) {
        text += folder_lines(source_of_folder[i]->*table, first_folder + static_cast<int>(i), line);
    }
    return text;
}

// The best stack of folders first_folder on: each folder's page from the piece its results come
// from.
bool merged_best_stack(const std::vector<PieceContents>& contents,
                       const std::vector<const PieceContents*>& source_of_folder, int first_folder,
                       std::string& bytes, std::string& problem) {
    std::vector<std::vector<TiffPage>> pages_of_piece(contents.size());
    for (std::size_t i = 0; i < contents.size(); ++i) {
        if (!read_piece_best_stack(contents[i], &pages_of_piece[i], &problem)) {
            return false;
        }
    }
    std::vector<TiffPage> pages;
    for (std::size_t i = 0; i < source_of_folder.size(); ++i) {
        const PieceContents* source = source_of_folder[i];
        const std::size_t piece = static_cast<std::size_t>(source - contents.data());
        const int folder = first_folder + static_cast<int>(i);
        pages.push_back(std::move(
            pages_of_piece[piece][static_cast<std::size_t>(folder - source->piece->first_folder)]));
    }
    return tiff_file_bytes(pages, &bytes, &problem);
}

// Every folder's maps asked for, from the piece its results come from, each read and checked.
bool gather_maps(const MergeRequest& request,
                 const std::vector<const PieceContents*>& source_of_folder,
                 std::vector<MapFile>& maps, std::string& problem) {
    for (std::size_t i = 0; i < source_of_folder.size(); ++i) {
        const PieceContents& source = *source_of_folder[i];
        const int folder = request.first_folder + static_cast<int>(i);
        const auto scores = source.scores.by_folder.find(folder);
        const int images =
            scores == source.scores.by_folder.end()
                ? 0
                : static_cast<int>(scores->second.size() / source.reports_by_method.size());
        for (const auto& [kind, destination] :
             {std::pair{MapKind::depth, &request.depth_map_folder},
              {MapKind::all_in_focus, &request.all_in_focus_folder}}) {
            if (destination->empty()) {
                continue;
            }
            maps.push_back(piece_map_file(source, folder, kind, images,
                                          map_folder_name(request.folder_names, folder),
                                          *destination));
            std::string bytes;
            if (!read_map_file(maps.back(), &bytes, &problem)) {
                return false;
            }
        }
    }
    return true;
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
    for (const RunPiece& piece : pieces) {
        if (auto differ = options_disagreement(piece.name, piece.record, pieces.front().name,
                                               pieces.front().record)) {
            result.refusal = *differ + ": pieces run alike only can be merged";
            return result;
        }
    }
    long long uncovered_first = 0;
    long long uncovered_last = 0;
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
    if (!known_columns(request, contents.front(), result.refusal)) {
        return result;
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
    std::optional<TileGrid> run_grid;
    for (const PieceContents& piece : contents) {
        if (!piece_agrees(piece, result.refusal) ||
            !piece_tiles_agree(piece, run_grid, result.refusal)) {
            return result;
        }
    }
    if (!gather_maps(request, source_of_folder, result.maps, result.refusal)) {
        return result;
    }

    double start = pieces.front().start_seconds;
    double end = pieces.front().end_seconds;
    for (const RunPiece& piece : pieces) {
        start = std::min(start, piece.start_seconds);
        end = std::max(end, piece.end_seconds);
    }
    result.wall_seconds = end - start;
    if (!(result.wall_seconds <= kLongestReportSeconds)) {
        result.refusal = "the pieces ran from " + std::to_string(start) + " to " +
                         std::to_string(end) + " seconds, longer than a report can say";
        return result;
    }
    for (const auto& [method, report] : contents.front().reports_by_method) {
        std::vector<int> picks;
        for (std::size_t i = 0; i < source_of_folder.size(); ++i) {
            picks.push_back(
                pick_of(*source_of_folder[i], method, request.first_folder + static_cast<int>(i)));
        }
        result.outputs.push_back(
            {report_file_name(request.first_folder, request.last_folder, method),
             report_text(picks, result.wall_seconds)});
    }
    if (!request.scores_file.empty()) {
        result.outputs.push_back(
            {request.scores_file,
             merged_table(source_of_folder, &PieceContents::scores, kScoresHeader, score_row_line,
                          request.first_folder)});
    }
    if (!request.summary_file.empty()) {
        result.outputs.push_back(
            {request.summary_file,
             merged_table(source_of_folder, &PieceContents::summary, kSummaryHeader,
                          summary_row_line, request.first_folder)});
    }
    if (!request.tile_scores_file.empty()) {
        result.outputs.push_back(
            {request.tile_scores_file,
             merged_table(source_of_folder, &PieceContents::tile_scores, kTileScoresHeader,
                          tile_score_row_line, request.first_folder)});
    }
    if (!request.tile_summary_file.empty()) {
        result.outputs.push_back(
            {request.tile_summary_file,
             merged_table(source_of_folder, &PieceContents::tile_summary, kTileSummaryHeader,
                          tile_summary_row_line, request.first_folder)});
    }
    if (!request.best_stack_file.empty()) {
        std::string bytes;
        if (!merged_best_stack(contents, source_of_folder, request.first_folder, bytes,
                               result.refusal)) {
            return result;
        }
        result.outputs.push_back({request.best_stack_file, std::move(bytes)});
    }
    for (const PieceContents& piece : contents) {
        result.pieces_files.push_back(piece.piece->path + kCompletionMark);
        for (const auto& [method, report] : piece.reports_by_method) {
            result.pieces_files.push_back(
                piece.piece->path +
                report_file_name(piece.piece->first_folder, piece.piece->last_folder, method));
        }
        for (const auto& [asked, name] : {std::pair{&request.scores_file, kPieceScoresFile},
                                          {&request.summary_file, kPieceSummaryFile},
                                          {&request.best_stack_file, kPieceBestStackFile},
                                          {&request.tile_scores_file, kPieceTileScoresFile},
                                          {&request.tile_summary_file, kPieceTileSummaryFile}}) {
            if (!asked->empty()) {
                result.pieces_files.push_back(piece.piece->path + name);
            }
        }
    }
    for (const MapFile& map : result.maps) {
        result.pieces_files.push_back(map.source);
    }
    result.pieces_used = static_cast<int>(pieces.size());
    result.merged = true;
    return result;
}

}  // namespace bestfocus
