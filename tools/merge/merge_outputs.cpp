// build_outputs and list_files_used of merge_steps.h, both driven by the table of merged files.
#include <algorithm>

#include "merge_steps.h"
#include "piece_best_stack.h"
#include "piece_maps.h"
#include "piece_tiles.h"
#include "run_pieces.h"

namespace bestfocus {
namespace {

// What a merged file is made from: the checked pieces and each folder's source among them.
struct MergeInputs {
    const MergeRequest& request;
    const std::vector<PieceContents>& contents;
    const std::vector<const PieceContents*>& source_of_folder;
};

// A CSV table: its header, then every folder's rows from its source.
template <typename Row, FolderRows<Row> PieceContents::*table, const char* header,
          std::string (*line)(const Row&)>
bool merged_table(const MergeInputs& inputs, std::string* bytes, std::string*) {
    // The pieces' own header: the summaries' may end in the z_um column (checked before).
    const std::string& pieces_header = (inputs.contents.front().*table).header;
    *bytes =
        (pieces_header == std::string(header) + kZColumn ? pieces_header : std::string(header)) +
        "\n";
    for (std::size_t i = 0; i < inputs.source_of_folder.size(); ++i) {
        *bytes += folder_lines(inputs.source_of_folder[i]->*table,
                               inputs.request.first_folder + static_cast<int>(i), line);
    }
    return true;
}

// The best stack: each folder's page from the piece its results come from.
bool merged_best_stack(const MergeInputs& inputs, std::string* bytes, std::string* problem) {
    const std::vector<PieceContents>& contents = inputs.contents;
    std::vector<std::vector<TiffPage>> pages_of_piece(contents.size());
    for (std::size_t i = 0; i < contents.size(); ++i) {
        if (!read_piece_best_stack(contents[i], &pages_of_piece[i], problem)) {
            return false;
        }
    }
    std::vector<TiffPage> pages;
    for (std::size_t i = 0; i < inputs.source_of_folder.size(); ++i) {
        const PieceContents* source = inputs.source_of_folder[i];
        const std::size_t piece = static_cast<std::size_t>(source - contents.data());
        const int folder = inputs.request.first_folder + static_cast<int>(i);
        pages.push_back(std::move(
            pages_of_piece[piece][static_cast<std::size_t>(folder - source->piece->first_folder)]));
    }
    return tiff_file_bytes(pages, bytes, problem);
}

struct MergedFile {
    const std::string MergeRequest::*asked;  // where the request names it; empty: not asked for
    const char* piece_file;                  // the file of every piece it joins
    bool (*build)(const MergeInputs& inputs, std::string* bytes, std::string* problem);
};

const MergedFile kMergedFiles[] = {
    {&MergeRequest::scores_file, kPieceScoresFile,
     merged_table<ScoreRow, &PieceContents::scores, kScoresHeader, score_row_line>},
    {&MergeRequest::summary_file, kPieceSummaryFile,
     merged_table<SummaryRow, &PieceContents::summary, kSummaryHeader, summary_row_line>},
    {&MergeRequest::best_stack_file, kPieceBestStackFile, merged_best_stack},
    {&MergeRequest::tile_scores_file, kPieceTileScoresFile,
     merged_table<TileScoreRow, &PieceContents::tile_scores, kTileScoresHeader,
                  tile_score_row_line>},
    {&MergeRequest::tile_summary_file, kPieceTileSummaryFile,
     merged_table<TileSummaryRow, &PieceContents::tile_summary, kTileSummaryHeader,
                  tile_summary_row_line>},
};

// Every folder's maps asked for, from the piece its results come from, each read and checked.
bool gather_maps(const MergeInputs& inputs, std::vector<MapFile>& maps, std::string& problem) {
    const MergeRequest& request = inputs.request;
    for (std::size_t i = 0; i < inputs.source_of_folder.size(); ++i) {
        const PieceContents& source = *inputs.source_of_folder[i];
        const int folder = request.first_folder + static_cast<int>(i);
        const auto scores = source.scores.by_folder.find(folder);
        const int images =
            scores == source.scores.by_folder.end()
                ? 0
                : static_cast<int>(scores->second.size() / source.reports_by_method.size());
        for (const auto& [kind, destination] :
             {std::pair{MapKind::depth, &request.depth_map_folder},
              {MapKind::all_in_focus, &request.all_in_focus_folder},
              {MapKind::confidence, &request.confidence_map_folder}}) {
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

// From the first piece's start to the last piece's end, which a report must be able to say.
bool wall_seconds(const std::vector<PieceContents>& contents, double* seconds,
                  std::string* problem) {
    double start = contents.front().piece->start_seconds;
    double end = contents.front().piece->end_seconds;
    for (const PieceContents& piece : contents) {
        start = std::min(start, piece.piece->start_seconds);
        end = std::max(end, piece.piece->end_seconds);
    }
    *seconds = end - start;
    if (!(*seconds <= kLongestReportSeconds)) {
        *problem = "the pieces ran from " + std::to_string(start) + " to " + std::to_string(end) +
                   " seconds, longer than a report can say";
        return false;
    }
    return true;
}

}  // namespace

bool build_outputs(const MergeRequest& request, const std::vector<PieceContents>& contents,
                   const std::vector<const PieceContents*>& source_of_folder, MergeResult* result,
                   std::string* problem) {
    const MergeInputs inputs{request, contents, source_of_folder};
    if (!gather_maps(inputs, result->maps, *problem) ||
        !wall_seconds(contents, &result->wall_seconds, problem)) {
        return false;
    }
    for (const auto& [method, report] : contents.front().reports_by_method) {
        std::vector<int> picks;
        for (std::size_t i = 0; i < source_of_folder.size(); ++i) {
            picks.push_back(
                pick_of(*source_of_folder[i], method, request.first_folder + static_cast<int>(i)));
        }
        result->outputs.push_back(
            {report_file_name(request.first_folder, request.last_folder, method),
             report_text(picks, result->wall_seconds)});
    }
    for (const MergedFile& file : kMergedFiles) {
        const std::string& path = request.*file.asked;
        std::string bytes;
        if (path.empty()) {
            continue;
        }
        if (!file.build(inputs, &bytes, problem)) {
            return false;
        }
        result->outputs.push_back({path, std::move(bytes)});
    }
    return true;
}

void list_files_used(const MergeRequest& request, const std::vector<PieceContents>& contents,
                     MergeResult* result) {
    for (const PieceContents& piece : contents) {
        const std::string& folder = piece.piece->path;
        result->pieces_files.push_back(folder + kCompletionMark);
        for (const auto& [method, report] : piece.reports_by_method) {
            result->pieces_files.push_back(folder + report_file_name(piece.piece->first_folder,
                                                                     piece.piece->last_folder,
                                                                     method));
        }
        for (const MergedFile& file : kMergedFiles) {
            if (!(request.*file.asked).empty()) {
                result->pieces_files.push_back(folder + file.piece_file);
            }
        }
    }
    for (const MapFile& map : result->maps) {
        result->pieces_files.push_back(map.source);
    }
}

}  // namespace bestfocus
