// check_pieces and pieces_agree of merge_steps.h.
#include <algorithm>
#include <iterator>

#include "merge_steps.h"
#include "piece_agreement.h"
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

// The pieces that overlap the range, every one complete, together covering it.
bool find_pieces(const MergeRequest& request, std::vector<RunPiece>* pieces, std::string* problem) {
    std::vector<RunPiece> all_pieces;
    if (!find_run_pieces(request.run_folder, all_pieces, *problem)) {
        return false;
    }
    std::copy_if(all_pieces.begin(), all_pieces.end(), std::back_inserter(*pieces),
                 [&request](const RunPiece& piece) { return overlaps(piece, request); });
    for (const RunPiece& piece : *pieces) {
        if (!piece.complete) {
            *problem = piece.name + " is incomplete (it has no completion mark): run the " +
                       "array again to redo it";
            return false;
        }
    }
    for (const RunPiece& piece : *pieces) {
        if (auto differ = options_disagreement(piece.name, piece.record, pieces->front().name,
                                               pieces->front().record)) {
            *problem = *differ + ": pieces run alike only can be merged";
            return false;
        }
    }
    long long uncovered_first = 0;
    long long uncovered_last = 0;
    if (find_uncovered_span(*pieces, request, uncovered_first, uncovered_last)) {
        *problem = folder_span(uncovered_first, uncovered_last) + " of " +
                   folder_span(request.first_folder, request.last_folder) +
                   (uncovered_first == uncovered_last ? " is" : " are") + " in no piece of " +
                   request.run_folder;
        return false;
    }
    return true;
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

// Whether the pieces' CSV files asked for have the columns bestfocus writes (the pieces have the
// same columns as the first).
bool known_columns(const MergeRequest& request, const PieceContents& first, std::string& problem) {
    const std::string where = first.piece->name + "/";
    if (!request.scores_file.empty() && first.scores.header != kScoresHeader) {
        problem = where + kPieceScoresFile + " has columns bestfocus does not write";
        return false;
    }
    // A run with a microscope file among its stacks adds the z_um column to the summaries.
    const auto summary_columns = [](const std::string& header, const char* known) {
        return header == known || header == std::string(known) + kZColumn;
    };
    if (!request.summary_file.empty() && !summary_columns(first.summary.header, kSummaryHeader)) {
        problem = where + kPieceSummaryFile + " has columns bestfocus does not write";
        return false;
    }
    if ((!request.tile_scores_file.empty() && first.tile_scores.header != kTileScoresHeader) ||
        (reads_tile_summary(request) &&
         !summary_columns(first.tile_summary.header, kTileSummaryHeader))) {
        problem = where + "tile tables have columns bestfocus does not write";
        return false;
    }
    return true;
}

}  // namespace

bool reads_tile_summary(const MergeRequest& request) {
    return !request.tile_summary_file.empty() || !request.depth_map_folder.empty() ||
           !request.all_in_focus_folder.empty() || !request.confidence_map_folder.empty();
}

bool check_pieces(const MergeRequest& request, std::vector<RunPiece>* pieces,
                  std::vector<PieceContents>* contents, std::string* problem) {
    if (!find_pieces(request, pieces, problem)) {
        return false;
    }
    contents->resize(pieces->size());
    for (std::size_t i = 0; i < pieces->size(); ++i) {
        if (!read_contents((*pieces)[i], request, (*contents)[i], *problem) ||
            !same_outputs(contents->front(), (*contents)[i], *problem)) {
            return false;
        }
    }
    return known_columns(request, contents->front(), *problem);
}

bool pieces_agree(const std::vector<PieceContents>& contents, std::string* problem) {
    std::optional<TileGrid> run_grid;
    for (const PieceContents& piece : contents) {
        if (!piece_agrees(piece, *problem) || !piece_tiles_agree(piece, run_grid, *problem)) {
            return false;
        }
    }
    return true;
}

}  // namespace bestfocus
