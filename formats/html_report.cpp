#include "html_report.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "flag_text.h"
#include "focus_curve.h"
#include "folder_card.h"
#include "html_escape.h"
#include "html_page_style.h"

namespace bestfocus {
namespace {

// Nothing to run and nothing to fetch: only the page's own style and its data-URI images.
constexpr char kContentPolicy[] = "default-src 'none'; img-src data:; style-src 'unsafe-inline'";

std::string method_name(const ReportRun& run, int code) {
    for (const ReportMethod& method : run.methods) {
        if (method.code == code) {
            return method.name;
        }
    }
    return "method " + std::to_string(code);
}

// "2 of 5 (edge 1, disagree 1)", or "none of 5".
std::string flagged_summary(const std::vector<FolderScores>& folders) {
    int flagged = 0;
    int counts[std::size(kAllFlags)] = {};
    for (const FolderScores& folder : folders) {
        const FlagSet flags = folder_flags(folder);
        flagged += flags.empty() ? 0 : 1;
        for (std::size_t n = 0; n < std::size(kAllFlags); ++n) {
            counts[n] += flags.has(kAllFlags[n]) ? 1 : 0;
        }
    }
    const std::string of = " of " + std::to_string(folders.size());
    if (flagged == 0) {
        return "none" + of;
    }
    std::string details;
    for (std::size_t n = 0; n < std::size(kAllFlags); ++n) {
        if (counts[n] != 0) {
            details += (details.empty() ? "" : ", ") + std::string(flag_name(kAllFlags[n])) + " " +
                       std::to_string(counts[n]);
        }
    }
    return std::to_string(flagged) + of + " (" + details + ")";
}

// What each warning means, folded away until asked for.
std::string warning_key() {
    std::string key = "<details><summary>What the warnings mean</summary><dl class=\"key\">";
    for (const Flag flag : kAllFlags) {
        key += "<dt><span class=\"flag\">" + std::string(flag_name(flag)) + "</span></dt><dd>" +
               html_escape(flag_meaning(flag)) + "</dd>";
    }
    return key + "</dl></details>";
}

std::string run_header(const ReportRun& run, const std::vector<FolderScores>& folders) {
    std::string methods;
    for (const ReportMethod& method : run.methods) {
        methods += (methods.empty() ? "" : ", ") + std::to_string(method.code) + " " + method.name;
    }
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%.3f s", run.elapsed_seconds);
    const std::string range =
        std::to_string(run.first_folder) + " to " + std::to_string(run.last_folder);
    const auto row = [](const std::string& name, const std::string& value) {
        return "<dt>" + name + "</dt><dd>" + html_escape(value) + "</dd>";
    };
    return "<header><h1>bestfocus: folders " + html_escape(range) + "</h1><dl class=\"run\">" +
           row("Methods", methods) + row("Base folder", run.base_folder) +
           row("Folders", range + " (" + std::to_string(folders.size()) +
                              (folders.size() == 1 ? " stack)" : " stacks)")) +
           row("Engine", run.engine) + row("Elapsed", elapsed) +
           row("Flagged", flagged_summary(folders)) + "</dl>" + warning_key() +
           "<label class=\"filter\" for=\"only-flagged\">Show only flagged stacks</label>"
           "</header>\n";
}

}  // namespace

std::string html_report(const ReportRun& run, const std::vector<FolderScores>& folders,
                        const ReportImageSource& load_image,
                        const ReportTilePictures& tile_pictures) {
    std::vector<const FolderScores*> flagged;
    std::vector<const FolderScores*> others;
    for (const FolderScores& folder : folders) {
        (folder_flags(folder).empty() ? others : flagged).push_back(&folder);
    }
    const auto cards = [&](const std::vector<const FolderScores*>& group) {
        if (group.empty()) {
            return std::string("<p class=\"none\">None.</p>\n");
        }
        std::string text = "<div class=\"cards\">\n";
        for (const FolderScores* folder : group) {
            std::vector<std::string> names;
            for (const MethodScores& method : folder->methods) {
                names.push_back(method_name(run, method.method));
            }
            text += folder_card(*folder, names, load_image,
                                tile_pictures ? tile_pictures(*folder) : nullptr);
        }
        return text + "</div>\n";
    };

    std::string page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">";
    page += "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
            std::string(kContentPolicy) + "\">";
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";
    page += "<title>bestfocus: folders " + std::to_string(run.first_folder) + " to " +
            std::to_string(run.last_folder) + "</title><style>" + kHtmlPageStyle +
            "</style></head>\n<body><input type=\"checkbox\" id=\"only-flagged\">\n";
    page += run_header(run, folders) + "<main>\n";
    page += "<h2>Flagged stacks (" + std::to_string(flagged.size()) + ")</h2>\n" + cards(flagged);
    page += "<div class=\"unflagged\"><h2>Other stacks (" + std::to_string(others.size()) +
            ")</h2>\n" + cards(others) + "</div>\n";
    return page + "</main></body></html>\n";
}

}  // namespace bestfocus
