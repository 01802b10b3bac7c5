// choose_sources of merge_steps.h.
#include "merge_steps.h"
#include "piece_tiles.h"

namespace bestfocus {
namespace {

bool covers(const RunPiece& piece, int folder) {
    return piece.first_folder <= folder && folder <= piece.last_folder;
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

}  // namespace

int pick_of(const PieceContents& contents, int method, int folder) {
    const std::vector<int>& picks = contents.reports_by_method.at(method).best_images;
    return picks[static_cast<std::size_t>(folder - contents.piece->first_folder)];
}

bool choose_sources(const MergeRequest& request, const std::vector<PieceContents>& contents,
                    std::vector<const PieceContents*>* source_of_folder, std::string* problem) {
    for (int folder = request.first_folder; folder <= request.last_folder; ++folder) {
        const PieceContents* source = nullptr;
        for (const PieceContents& candidate : contents) {
            if (!covers(*candidate.piece, folder)) {
                continue;
            }
            if (source == nullptr) {
                source = &candidate;
            } else if (folder_results(*source, folder) != folder_results(candidate, folder)) {
                *problem = "folder " + std::to_string(folder) + " is in " + source->piece->name +
                           " and " + candidate.piece->name + " with different results";
                return false;
            }
        }
        source_of_folder->push_back(source);
    }
    return true;
}

}  // namespace bestfocus
