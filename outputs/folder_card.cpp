#include "folder_card.h"

#include <algorithm>
#include <cstdio>

#include "focus_curve.h"
#include "focus_curve_svg.h"
#include "html_escape.h"
#include "thumbnail.h"

namespace {

// A figure with the thumbnail of the image, framed in the given colour, and a caption naming the
// image and its role.
std::string thumbnail(const std::string& image_path, int folder, int image_number,
                      const std::string& role, const char* frame_colour,
                      const ReportImageSource& load_image) {
    const std::string caption =
        "<figcaption>image " + std::to_string(image_number) + " · " + role + "</figcaption>";
    const cv::Mat image = load_image(folder, image_number);
    const std::string uri = thumbnail_data_uri(image);
    if (uri.empty()) {
        return "<figure class=\"thumb missing\"><div>could not be read</div>" + caption +
               "</figure>";
    }
    const cv::Size size = thumbnail_size(image.size());
    const std::string path = html_escape(image_path);
    return "<figure class=\"thumb\"><img src=\"" + uri + "\" width=\"" +
           std::to_string(size.width) + "\" height=\"" + std::to_string(size.height) +
           "\" style=\"border-color:" + frame_colour + "\" alt=\"" + path + "\" title=\"" + path +
           "\">" + caption + "</figure>";
}

std::string flag_badges(const std::vector<std::string>& names) {
    std::string badges;
    for (const std::string& name : names) {
        badges += "<span class=\"flag\" title=\"" + html_escape(warning_meaning(name)) + "\">" +
                  html_escape(name) + "</span>";
    }
    return badges;
}

// "edge;disagree" as its names.
std::vector<std::string> split_flags(const std::string& flags) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start < flags.size();) {
        const std::size_t end = std::min(flags.find(';', start), flags.size());
        names.push_back(flags.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string legend(const FolderScores& folder, const std::vector<std::string>& method_names) {
    std::string rows;
    for (std::size_t m = 0; m < folder.methods.size(); ++m) {
        const MethodScores& method = folder.methods[m];
        char estimate[32];
        std::snprintf(estimate, sizeof estimate, "%.2f",
                      fractional_best(method.scores, method.best_number));
        rows +=
            "<tr><td><span class=\"swatch\" style=\"background:" + std::string(curve_colour(m)) +
            "\"></span>" + html_escape(method_names[m]) + "</td><td>pick " +
            std::to_string(method.best_number) + "</td><td>focus " + estimate + "</td><td>" +
            flag_badges(split_flags(folder_flags(folder, method))) + "</td></tr>";
    }
    return "<table class=\"legend\">" + rows + "</table>";
}

}  // namespace

std::string numbered_image_path(const std::string& folder_path, int image_number) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d.bmp", image_number);
    return folder_path + name;
}

const char* warning_meaning(const std::string& name) {
    if (name == "edge")
        return "the pick is the first or last image: focus may lie outside the stack";
    if (name == "flat") return "no image scores clearly above the stack's median";
    if (name == "two-peaks") return "a second peak rises at least half as high as the best";
    if (name == "disagree") return "the measures pick images more than one apart";
    return "";
}

std::vector<std::string> folder_warning_names(const FolderScores& folder) {
    std::vector<std::string> present;
    for (const MethodScores& method : folder.methods) {
        for (const std::string& name : split_flags(folder_flags(folder, method))) {
            present.push_back(name);
        }
    }
    std::vector<std::string> names;
    for (const char* name : kWarningNames) {
        if (std::find(present.begin(), present.end(), name) != present.end()) {
            names.push_back(name);
        }
    }
    return names;
}

int comparison_image(const MethodScores& method) {
    const int images = static_cast<int>(method.scores.size());
    const int best = method.best_number;
    if (images < 2) {
        return 0;
    }
    if (best == 1 || best == images) {
        return best == 1 ? 2 : images - 1;
    }
    const double before = method.scores[static_cast<std::size_t>(best - 2)];
    const double after = method.scores[static_cast<std::size_t>(best)];
    return after > before ? best + 1 : best - 1;
}

std::string folder_card(const FolderScores& folder, const std::vector<std::string>& method_names,
                        const std::string& folder_path,
                        const std::function<std::string(int image_number)>& image_name,
                        const ReportImageSource& load_image) {
    const std::vector<std::string> warnings = folder_warning_names(folder);
    std::string card = std::string("<section class=\"card") + (warnings.empty() ? "" : " flagged") +
                       "\" id=\"folder-" + std::to_string(folder.folder) + "\">";
    card += "<h3>Folder " + std::to_string(folder.folder) + flag_badges(warnings) + "</h3>";
    card += "<p class=\"path\">" + html_escape(folder_path) + "</p>";
    card +=
        "<div class=\"body\">" + focus_curve_svg(folder, method_names) + "<div class=\"thumbs\">";
    if (!folder.methods.empty()) {
        const MethodScores& first = folder.methods.front();
        // The pick framed in its measure's colour, the neighbour in neutral gray.
        card += thumbnail(image_name(first.best_number), folder.folder, first.best_number, "pick",
                          curve_colour(0), load_image);
        const int neighbour = comparison_image(first);
        if (neighbour != 0) {
            card += thumbnail(image_name(neighbour), folder.folder, neighbour, "neighbour", "#999",
                              load_image);
        }
    }
    card += "</div></div>" + legend(folder, method_names) + "</section>\n";
    return card;
}
