#include "run_outputs.h"

#include <cstdio>

#include "best_exports.h"
#include "failure_output.h"
#include "flag_text.h"
#include "focus_curve.h"
#include "focus_map_outputs.h"
#include "html_report.h"
#include "image_source.h"
#include "measure_registry.h"
#include "replace_file.h"
#include "report_file.h"
#include "score_tables.h"
#include "stack_scan.h"
#include "tile_tables.h"

namespace bestfocus {

namespace {

bool write_file(const char* what, const std::string& file_name, const std::string& text) {
    std::string reason;
    if (replace_file(file_name, text, &reason)) {
        return true;
    }
    std::fprintf(stderr, "bestfocus: cannot write the %s file %s: %s\n", what, file_name.c_str(),
                 reason.c_str());
    return false;
}

std::string html_page(const RunConfig& config, const std::vector<FolderScores>& folders,
                      double seconds, const std::string& engine,
                      const std::vector<TilePictures>& pictures) {
    ReportRun run;
    for (const int code : config.methods) {
        run.methods.push_back({code, find_measure(code)->long_name});
    }
    run.base_folder = config.base_folder;
    run.first_folder = config.first_folder;
    run.last_folder = config.last_folder;
    run.engine = engine;
    run.elapsed_seconds = seconds;
    if (pictures.empty()) {
        return html_report(run, folders, decode_for_display);
    }
    return html_report(run, folders, decode_for_display, [&](const FolderScores& folder) {
        return &pictures[static_cast<std::size_t>(&folder - folders.data())];
    });
}

bool write_best_stack(const std::string& path, const std::vector<FolderScores>& folders) {
    std::string bytes;
    std::string reason;
    if (best_stack_bytes(folders, decode_at_depth, &bytes, &reason) &&
        replace_file(path, bytes, &reason)) {
        return true;
    }
    std::fprintf(stderr, "bestfocus: cannot write the best stack %s: %s\n", path.c_str(),
                 reason.c_str());
    return false;
}

bool export_picks(const RunConfig& config, const std::vector<FolderScores>& folders) {
    ExportRequest request;
    request.folder = config.outputs.export_best;
    request.hard_links = config.outputs.export_best_link;
    request.image_names = config.layout.image_names;
    for (const int code : config.methods) {
        request.method_names.push_back(find_measure(code)->short_name);
    }
    const std::vector<ExportFailure> failures =
        export_best_images(request, folders, decode_at_depth);
    for (const ExportFailure& failure : failures) {
        std::fprintf(stderr, "bestfocus: cannot export the pick %s: %s\n", failure.path.c_str(),
                     failure.reason.c_str());
    }
    return failures.empty();
}

}  // namespace

int write_run_outputs(const RunConfig& config, const std::vector<FolderScores>& folders,
                      double seconds, const std::string& engine) {
    bool all_written = true;
    for (std::size_t m = 0; m < config.methods.size(); ++m) {
        const std::string name =
            report_file_name(config.first_folder, config.last_folder, config.methods[m]);
        std::string reason;
        if (!write_report(name, best_images(folders, m), seconds, &reason)) {
            RunFailure failure;
            failure.kind = FailureKind::cannot_create_output;
            failure.diagnostic =
                "bestfocus: cannot write the report " + name + ": " + reason + "\n";
            show_failure(failure);
            all_written = false;
        }
    }
    const OutputFiles& outputs = config.outputs;
    if (!outputs.scores.empty()) {
        all_written &= write_file("scores", outputs.scores, scores_table(folders));
    }
    if (!outputs.summary.empty()) {
        all_written &= write_file("summary", outputs.summary, summary_table(folders));
    }
    // Before the page, which shows what they show.
    std::vector<TilePictures> pictures;
    all_written &= write_focus_maps(config, folders, outputs.html.empty() ? nullptr : &pictures);
    if (!outputs.html.empty()) {
        all_written &=
            write_file("HTML", outputs.html, html_page(config, folders, seconds, engine, pictures));
    }
    if (!outputs.best_stack.empty()) {
        all_written &= write_best_stack(outputs.best_stack, folders);
    }
    if (!outputs.export_best.empty()) {
        all_written &= export_picks(config, folders);
    }
    if (!outputs.tile_scores.empty()) {
        all_written &= write_file("tile scores", outputs.tile_scores, tile_scores_table(folders));
    }
    if (!outputs.tile_summary.empty()) {
        all_written &=
            write_file("tile summary", outputs.tile_summary, tile_summary_table(folders));
    }
    return all_written ? 0 : 1;
}

std::string flagged_folder_lines(const std::vector<FolderScores>& folders) {
    std::string lines;
    for (const FolderScores& folder : folders) {
        std::string flagged;
        for (const MethodScores& method : folder.methods) {
            const std::string flags = flag_list(method_flags(folder, method));
            if (flags.empty()) {
                continue;
            }
            flagged += std::string(flagged.empty() ? "" : ", ") +
                       find_measure(method.method)->long_name + " picks " +
                       std::to_string(method.best_number) + " of " +
                       std::to_string(method.scores.size()) + " (" + flags + ")";
        }
        if (!flagged.empty()) {
            lines += "bestfocus: folder " + std::to_string(folder.folder) + " flagged: " + flagged +
                     "\n";
        }
    }
    return lines;
}

}  // namespace bestfocus
