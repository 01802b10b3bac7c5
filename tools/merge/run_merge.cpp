#include "run_merge.h"

#include <climits>

#include "merge_steps.h"

namespace bestfocus {

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
    std::vector<RunPiece> pieces;
    std::vector<PieceContents> contents;  // pointing into `pieces`
    std::vector<const PieceContents*> source_of_folder;
    if (!check_pieces(request, &pieces, &contents, &result.refusal) ||
        !choose_sources(request, contents, &source_of_folder, &result.refusal) ||
        !pieces_agree(contents, &result.refusal) ||
        !build_outputs(request, contents, source_of_folder, &result, &result.refusal)) {
        result.outputs.clear();
        result.maps.clear();
        return result;
    }
    list_files_used(request, contents, &result);
    result.pieces_used = static_cast<int>(pieces.size());
    result.merged = true;
    return result;
}

}  // namespace bestfocus
