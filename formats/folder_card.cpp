#include "folder_card.h"

#include <algorithm>
#include <cstdio>

#include "depth_heat_map.h"
#include "flag_text.h"
#include "focus_curve.h"
#include "focus_curve_svg.h"
#include "html_escape.h"
#include "text_numbers.h"
#include "thumbnail.h"

namespace bestfocus {
namespace {

// A figure with the thumbnail of the image, framed in the given colour, and a caption naming the
// image and its role. A click on the thumbnail makes the figure the page's target, which the
// style sheet shows large over a dark backdrop; a click on the backdrop goes back to the card.
std::string opening_figure(const FolderScores& folder, const std::string& id_suffix,
                           const std::string& uri, cv::Size image_size, const std::string& title,
                           const char* frame_colour, const std::string& caption) {
    const cv::Size size = thumbnail_size(image_size);
    const std::string id = "view-" + std::to_string(folder.folder) + "-" + id_suffix;
    return "<figure class=\"thumb\" id=\"" + id + "\"><a class=\"open\" href=\"#" + id +
           "\"><img src=\"" + uri + "\" width=\"" + std::to_string(size.width) + "\" height=\"" +
           std::to_string(size.height) + "\" style=\"border-color:" + frame_colour + "\" alt=\"" +
           title + "\" title=\"" + title + "\"></a><a class=\"close\" href=\"#folder-" +
           std::to_string(folder.folder) + "\" title=\"back to the card\"></a>" + caption +
           "</figure>";
}

std::string thumbnail(const FolderScores& folder, int image_number, const std::string& role,
                      const char* frame_colour, const ReportImageSource& load_image) {
    const std::string caption = "<figcaption>image " + std::to_string(image_number) + " · " +
                                html_escape(role) + "</figcaption>";
    const std::size_t index = static_cast<std::size_t>(image_number - 1);
    const bool located = index < folder.images.size();
    const cv::Mat image = located ? load_image(folder.images[index]) : cv::Mat();
    const std::string uri = preview_data_uri(image);
    if (uri.empty()) {
        return "<figure class=\"thumb missing\"><div>could not be read</div>" + caption +
               "</figure>";
    }
    return opening_figure(folder, std::to_string(image_number), uri, image.size(),
                          html_escape(described(folder.images[index])), frame_colour, caption);
}

// The all-in-focus image, the depth map with its colour scale in image numbers, and its
// confidence.
std::string tile_figures(const FolderScores& folder, const TilePictures& pictures) {
    const int images = static_cast<int>(folder.images.size());
    std::string figures;
    if (!pictures.all_in_focus.empty()) {
        figures += opening_figure(folder, "all-in-focus", pictures.all_in_focus,
                                  pictures.all_in_focus_size, "all in focus", "#999",
                                  "<figcaption>all in focus</figcaption>");
    }
    if (!pictures.depth_map.empty()) {
        // Styled in place: pages without maps keep their style sheet as it was.
        const std::string scale =
            "<div style=\"height:8px;margin-top:2px;background:" + depth_scale_gradient() +
            "\"></div><div style=\"display:flex;justify-content:space-between;font-size:11px\">"
            "<span>1</span><span>" +
            std::to_string((images + 1) / 2) + "</span><span>" + std::to_string(images) +
            "</span></div>";
        figures += opening_figure(
            folder, "depth-map", pictures.depth_map, pictures.depth_map_size,
            "depth map: focus as an image number, pixels filled in hatched", "#999",
            "<figcaption>" + scale + "depth map (image no.; hatched: filled)</figcaption>");
    }
    if (!pictures.confidence_map.empty()) {
        figures += opening_figure(folder, "confidence-map", pictures.confidence_map,
                                  pictures.depth_map_size, "confidence: black 0, white 1", "#999",
                                  "<figcaption>confidence (black 0, white 1)</figcaption>");
    }
    return figures;
}

// The images the folder's methods pick, each once, in the order of the first method picking it,
// with the names of the methods picking it and the index of the first.
struct DistinctPick {
    int image;
    std::string methods;
    std::size_t first_method;
};

std::vector<DistinctPick> distinct_picks(const FolderScores& folder,
                                         const std::vector<std::string>& method_names) {
    std::vector<DistinctPick> picks;
    for (std::size_t m = 0; m < folder.methods.size(); ++m) {
        const int image = folder.methods[m].best_number;
        const auto same = std::find_if(picks.begin(), picks.end(),
                                       [image](const DistinctPick& p) { return p.image == image; });
        if (same == picks.end()) {
            picks.push_back({image, method_names[m], m});
        } else {
            same->methods += ", " + method_names[m];
        }
    }
    return picks;
}

std::string flag_badges(FlagSet flags) {
    std::string badges;
    for (const Flag flag : kAllFlags) {
        if (flags.has(flag)) {
            badges += "<span class=\"flag\" title=\"" + html_escape(flag_meaning(flag)) + "\">" +
                      html_escape(flag_name(flag)) + "</span>";
        }
    }
    return badges;
}

// The legend's sample of a curve: its colour, in dashes where the curve is dashed.
std::string swatch_paint(std::size_t method_index) {
    const std::string colour = curve_colour(method_index);
    if (*curve_dashes(method_index) == '\0') {
        return colour;
    }
    return "repeating-linear-gradient(90deg," + colour + " 0 6px,transparent 6px 9px)";
}

std::string legend(const FolderScores& folder, const std::vector<std::string>& method_names) {
    std::string rows;
    for (std::size_t m = 0; m < folder.methods.size(); ++m) {
        const MethodScores& method = folder.methods[m];
        char estimate[32];
        std::snprintf(estimate, sizeof estimate, "%.2f",
                      fractional_best(method.scores, method.best_number));
        rows += "<tr><td><span class=\"swatch\" style=\"background:" + swatch_paint(m) +
                "\"></span>" + html_escape(method_names[m]) + "</td><td>pick " +
                std::to_string(method.best_number) + "</td><td>focus " + estimate + "</td><td>" +
                flag_badges(method_flags(folder, method)) + "</td></tr>";
    }
    return "<table class=\"legend\">" + rows + "</table>";
}

}  // namespace

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

// A microscope file's line: the focus channel, the Z step and unit, the first method's focus as a
// Z position ("channel 2 of 2 (GFP); Z step 0.5 µm; focus at 3.5 µm").
std::string microscope_line(const FolderScores& folder) {
    const MicroscopePlanes& planes = *folder.microscope;
    std::string line = "channel " + std::to_string(planes.channel + 1) + " of " +
                       std::to_string(planes.channel_pages.size());
    const std::string& name = planes.channel_names.at(static_cast<std::size_t>(planes.channel));
    if (!name.empty()) line += " (" + name + ")";
    if (planes.step_z_um) line += "; Z step " + shortest_decimal(*planes.step_z_um) + " µm";
    if (!folder.methods.empty()) {
        const MethodScores& first = folder.methods.front();
        const std::optional<double> z =
            z_position_um(planes, fractional_best(first.scores, first.best_number));
        if (z) line += "; focus at " + shortest_decimal(*z) + " µm";
    }
    return "<p class=\"path\">" + html_escape(line) + "</p>";
}

std::string folder_card(const FolderScores& folder, const std::vector<std::string>& method_names,
                        const ReportImageSource& load_image, const TilePictures* tile_pictures) {
    const FlagSet warnings = folder_flags(folder);
    std::string card = std::string("<section class=\"card") + (warnings.empty() ? "" : " flagged") +
                       "\" id=\"folder-" + std::to_string(folder.folder) + "\">";
    card += "<h3>Folder " + std::to_string(folder.folder) + flag_badges(warnings) + "</h3>";
    card += "<p class=\"path\">" + html_escape(folder.stack_path) + "</p>";
    if (folder.microscope) card += microscope_line(folder);
    card +=
        "<div class=\"body\">" + focus_curve_svg(folder, method_names) + "<div class=\"thumbs\">";
    if (!folder.methods.empty()) {
        // Each pick framed in the colour of the first measure picking it, the neighbour of the
        // first method's pick in neutral gray (unless a method picks it too).
        const std::vector<DistinctPick> picks = distinct_picks(folder, method_names);
        const int neighbour = comparison_image(folder.methods.front());
        bool neighbour_shown = false;
        for (const DistinctPick& pick : picks) {
            const bool is_neighbour = pick.image == neighbour;
            neighbour_shown |= is_neighbour;
            card += thumbnail(folder, pick.image,
                              "pick of " + pick.methods + (is_neighbour ? "; neighbour" : ""),
                              curve_colour(pick.first_method), load_image);
        }
        // Beside the picks: where focus lies across the field, and the image made from it.
        if (tile_pictures != nullptr) {
            card += tile_figures(folder, *tile_pictures);
        }
        if (neighbour != 0 && !neighbour_shown) {
            card += thumbnail(folder, neighbour, "neighbour of " + method_names.front() + "'s pick",
                              "#999", load_image);
        }
    }
    card += "</div></div>" + legend(folder, method_names) + "</section>\n";
    return card;
}

}  // namespace bestfocus
