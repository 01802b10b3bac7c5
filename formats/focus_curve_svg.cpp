#include "focus_curve_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "focus_curve.h"
#include "html_escape.h"

namespace bestfocus {

namespace {

// The drawing in SVG user units (pixels at 100 % zoom): the plot area and the margins around it
// for the tick labels.
constexpr double kWidth = 300;
constexpr double kHeight = 170;
// More curves than this get a larger plot, so that lines close to each other stay apart.
constexpr std::size_t kCurvesOfTheSmallPlot = 6;
constexpr double kLargeWidth = 420;
constexpr double kLargeHeight = 250;
constexpr double kLeft = 34;
constexpr double kRight = 8;
constexpr double kTop = 8;
constexpr double kBottom = 34;
// At most this many labelled image numbers, so that they never run into each other.
constexpr int kMostXLabels = 12;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// Maps image numbers and relative scores to drawing coordinates.
struct PlotFrame {
    int images;
    double lowest;  // the relative score at the bottom of the plot, 0 or below; the top is 1
    double width;   // of the whole drawing, margins included
    double height;  // of the drawing above the notes under it

    double x(double image_number) const {
        const double plot_width = width - kLeft - kRight;
        return images > 1 ? kLeft + (image_number - 1) / (images - 1) * plot_width
                          : kLeft + plot_width / 2;
    }
    double y(double relative) const {
        return kTop + (1.0 - relative) / (1.0 - lowest) * (height - kTop - kBottom);
    }
};

// 1, 2, 5, 10, 20, 50, ...: the smallest such step that labels at most kMostXLabels images.
int label_step(int images) {
    for (int step = 1;; step *= 10) {
        for (const int multiple : {1, 2, 5}) {
            if (images / (step * multiple) < kMostXLabels) {
                return step * multiple;
            }
        }
    }
}

std::string axes(const PlotFrame& frame) {
    const std::string bottom = number(frame.y(frame.lowest));
    std::string svg = "<g class=\"axes\">";
    // Horizontal grid lines with their relative scores.
    std::vector<double> levels = {1.0, 0.5};
    if (frame.lowest < 0.0) {
        levels.push_back(0.0);
    }
    levels.push_back(frame.lowest);
    for (const double level : levels) {
        const std::string y = number(frame.y(level));
        char label[32];
        std::snprintf(label, sizeof label, "%g", level);
        svg += "<line class=\"grid\" x1=\"" + number(kLeft) + "\" x2=\"" +
               number(frame.width - kRight) + "\" y1=\"" + y + "\" y2=\"" + y + "\"/>";
        svg += "<text class=\"ylabel\" x=\"" + number(kLeft - 4) + "\" y=\"" + y + "\">" + label +
               "</text>";
    }
    // A tick under every image, a label under the first, the last and every label_step-th but
    // those that would touch the first's or the last's.
    const int step = label_step(frame.images);
    for (int image = 1; image <= frame.images; ++image) {
        const std::string x = number(frame.x(image));
        svg += "<line class=\"tick\" x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + bottom +
               "\" y2=\"" + number(frame.y(frame.lowest) + 3) + "\"/>";
        const bool end = image == 1 || image == frame.images;
        const bool clear_of_ends = image - 1 > step / 2.0 && frame.images - image > step / 2.0;
        if (end || (image % step == 0 && clear_of_ends)) {
            svg += "<text class=\"xlabel\" x=\"" + x + "\" y=\"" +
                   number(frame.y(frame.lowest) + 13) + "\">" + std::to_string(image) + "</text>";
        }
    }
    svg += "<text class=\"axis-name\" x=\"" + number(kLeft + (frame.width - kLeft - kRight) / 2) +
           "\" y=\"" + number(frame.height - 4) + "\">image</text>";
    svg += "<text class=\"axis-name\" transform=\"rotate(-90)\" x=\"" +
           number(-(kTop + (frame.height - kTop - kBottom) / 2)) +
           "\" y=\"10\">score / best</text>";
    return svg + "</g>";
}

std::string method_curve(const PlotFrame& frame, const MethodScores& method,
                         const std::vector<double>& relative, const std::string& name,
                         const char* colour, const char* dashes) {
    const std::string stroke = std::string("stroke=\"") + colour + "\"";
    std::string svg = "<g class=\"curve\">";
    svg += "<title>" + html_escape(name) + "</title>";
    svg += "<polyline class=\"scores\" " + stroke +
           (*dashes ? std::string(" stroke-dasharray=\"") + dashes + "\"" : "") + " points=\"";
    for (std::size_t i = 0; i < relative.size(); ++i) {
        svg += (i ? " " : "") + number(frame.x(static_cast<double>(i + 1))) + "," +
               number(frame.y(relative[i]));
    }
    svg += "\"/>";
    const std::string peak_x = number(frame.x(fractional_best(method.scores, method.best_number)));
    svg += "<line class=\"peak\" " + stroke + " x1=\"" + peak_x + "\" x2=\"" + peak_x + "\" y1=\"" +
           number(kTop) + "\" y2=\"" + number(frame.y(frame.lowest)) + "\"/>";
    svg += "<circle class=\"pick\" fill=\"" + std::string(colour) + "\" cx=\"" +
           number(frame.x(method.best_number)) + "\" cy=\"" +
           number(frame.y(relative[static_cast<std::size_t>(method.best_number - 1)])) +
           "\" r=\"3.5\"/>";
    return svg + "</g>";
}

// What the curve of a method plots when it is not its scores over the best (the y axis's
// "score / best"): empty when it is.
std::string plotted_otherwise(const MethodScores& method) {
    if (method.scores.empty()) {
        return "";
    }
    const double best = *std::max_element(method.scores.begin(), method.scores.end());
    const double lowest = *std::min_element(method.scores.begin(), method.scores.end());
    if (best > 0.0) {
        return "";
    }
    return best > lowest ? "(score − lowest) / (best − lowest), as no score is positive"
                         : "1 for every image, as all scores are equal and none is positive";
}

// A line of text under the plot for each method whose curve is not its scores over the best.
constexpr double kNoteHeight = 12;

}  // namespace

// Twelve colours: Okabe and Ito's palette for colour-blind readers, darkest first, its yellow
// (too pale on white) replaced by wine, then four of Tol's that stay apart from them.
constexpr const char* kCurveColours[] = {"#0072b2", "#d55e00", "#009e73", "#cc79a7",
                                         "#e69f00", "#56b4e9", "#000000", "#882255",
                                         "#999933", "#332288", "#8c564b", "#44aa99"};
constexpr std::size_t kCurveColourCount = sizeof kCurveColours / sizeof kCurveColours[0];
// Curves after the sixth are dashed: ten lines in one small plot need more than hue apart
// (blue and sky blue, vermillion and orange), and a reader without colour keeps the style.
constexpr std::size_t kSolidCurves = 6;

const char* curve_colour(std::size_t method_index) {
    return kCurveColours[method_index % kCurveColourCount];
}

const char* curve_dashes(std::size_t method_index) {
    return method_index % (2 * kSolidCurves) < kSolidCurves ? "" : "6 3";
}

std::vector<double> relative_scores(const MethodScores& method) {
    const std::vector<double>& scores = method.scores;
    std::vector<double> relative(scores.size(), 1.0);
    if (scores.empty()) {
        return relative;
    }
    const double best = *std::max_element(scores.begin(), scores.end());
    const double lowest = *std::min_element(scores.begin(), scores.end());
    for (std::size_t i = 0; i < scores.size(); ++i) {
        if (best > 0.0) {
            relative[i] = scores[i] / best;
        } else if (best > lowest) {
            relative[i] = (scores[i] - lowest) / (best - lowest);
        }
    }
    return relative;
}

std::string focus_curve_svg(const FolderScores& folder,
                            const std::vector<std::string>& method_names) {
    std::vector<std::vector<double>> relative;
    const bool large = folder.methods.size() > kCurvesOfTheSmallPlot;
    PlotFrame frame{0, 0.0, large ? kLargeWidth : kWidth, large ? kLargeHeight : kHeight};
    for (const MethodScores& method : folder.methods) {
        relative.push_back(relative_scores(method));
        frame.images = std::max(frame.images, static_cast<int>(method.scores.size()));
        for (const double value : relative.back()) {
            frame.lowest = std::min(frame.lowest, value);
        }
    }
    // Down to a multiple of one half, so that the bottom grid line's label stays clear of 0's.
    frame.lowest = std::floor(frame.lowest * 2) / 2;
    std::string notes;
    for (std::size_t m = 0; m < folder.methods.size(); ++m) {
        const std::string plotted = plotted_otherwise(folder.methods[m]);
        if (!plotted.empty()) {
            notes += "<text class=\"note\" x=\"2\" y=\"" +
                     number(frame.height +
                            kNoteHeight * (std::count(notes.begin(), notes.end(), '\n') + 1) - 2) +
                     "\" fill=\"" + curve_colour(m) + "\">" + html_escape(method_names[m]) + ": " +
                     html_escape(plotted) + "</text>\n";
        }
    }
    const double height = frame.height + kNoteHeight * std::count(notes.begin(), notes.end(), '\n');
    std::string svg = "<svg class=\"curves\" width=\"" + number(frame.width) + "\" height=\"" +
                      number(height) + "\" viewBox=\"0 0 " + number(frame.width) + " " +
                      number(height) + "\" role=\"img\">";
    svg += "<title>Focus curves of folder " + std::to_string(folder.folder) + "</title>";
    if (frame.images == 0) {
        return svg + "</svg>";
    }
    svg += axes(frame);
    for (std::size_t m = 0; m < folder.methods.size(); ++m) {
        svg += method_curve(frame, folder.methods[m], relative[m], method_names[m], curve_colour(m),
                            curve_dashes(m));
    }
    return svg + notes + "</svg>";
}

}  // namespace bestfocus
