// The jobs of merge_run, in the order it does them: check the pieces, choose each folder's source,
// build the outputs, list the pieces' files used. Each stops at the first problem, with *problem
// naming the piece or the folder.
#pragma once

#include <string>
#include <vector>

#include "piece_outputs.h"
#include "run_merge.h"

namespace bestfocus {

// The folder's rows of a piece's table, as written to a CSV file; empty when it has none.
template <typename Row>
std::string folder_lines(const FolderRows<Row>& table, int folder,
                         std::string (*line)(const Row&)) {
    std::string lines;
    const auto found = table.by_folder.find(folder);
    if (found != table.by_folder.end()) {
        for (const Row& row : found->second) lines += line(row);
    }
    return lines;
}

// The piece's pick for the folder under the method.
int pick_of(const PieceContents& contents, int method, int folder);

// The maps are checked against the tile summary, which the array script always has written.
bool reads_tile_summary(const MergeRequest& request);

// The pieces of the run folder that overlap the request's range (*pieces, in order of their first
// folder) and what each holds (*contents, pointing into *pieces): every one complete, together
// covering the range, holding what the request asks for with the same methods and the columns
// bestfocus writes.
bool check_pieces(const MergeRequest& request, std::vector<RunPiece>* pieces,
                  std::vector<PieceContents>* contents, std::string* problem);

// Every piece's reports, tables and tiles agree with each other and with the run's tile grid.
bool pieces_agree(const std::vector<PieceContents>& contents, std::string* problem);

// Each folder of the range, from the first on: the first piece that has it. Any other piece that
// has it must have the same results.
bool choose_sources(const MergeRequest& request, const std::vector<PieceContents>& contents,
                    std::vector<const PieceContents*>* source_of_folder, std::string* problem);

// The merged files asked for into result->outputs, every folder's maps into result->maps, and the
// run's wall time into result->wall_seconds.
bool build_outputs(const MergeRequest& request, const std::vector<PieceContents>& contents,
                   const std::vector<const PieceContents*>& source_of_folder, MergeResult* result,
                   std::string* problem);

// Every file of the pieces the merge read into result->pieces_files: each piece's completion
// mark, reports and files asked for, then the maps' sources.
void list_files_used(const MergeRequest& request, const std::vector<PieceContents>& contents,
                     MergeResult* result);

}  // namespace bestfocus
