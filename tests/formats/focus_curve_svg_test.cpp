// The curves drawn in SVG: read back from the drawing, each line is its scores over the best
// (a linear map of image number and relative score to x and y), with the pick's dot on it and
// the dashed line at the focus estimate between images.
#include "focus_curve_svg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>

#include "focus_curve.h"
#include "html_test_support.h"

namespace bestfocus {

// Found by the argument's namespace, so outside the unnamed one.
static void PrintTo(const FolderScores& folder, std::ostream* out) {
    *out << "folder " << folder.folder;
}

namespace {

struct Point {
    double x, y;
};

std::vector<Point> polyline_points(const std::string& points) {
    std::vector<Point> parsed;
    std::istringstream text(points);
    for (std::string pair; text >> pair;) {
        const std::size_t comma = pair.find(',');
        parsed.push_back(
            {std::atof(pair.substr(0, comma).c_str()), std::atof(pair.substr(comma + 1).c_str())});
    }
    return parsed;
}

// The relative scores written from their definition: over the best when it is positive,
// otherwise from the lowest (0) to the best (1).
std::vector<long double> expected_relative(const std::vector<double>& scores) {
    long double best = scores[0], lowest = scores[0];
    for (const double s : scores)
        best = std::max<long double>(best, s), lowest = std::min<long double>(lowest, s);
    std::vector<long double> relative;
    for (const double s : scores) {
        relative.push_back(best > 0        ? s / best
                           : best > lowest ? (s - lowest) / (best - lowest)
                                           : 1);
    }
    return relative;
}

// Folders whose curves exercise the scalings: a plain peak; Vollath F4 dipping below zero
// beside a positive best; all scores negative; all equal; a stack of two images.
const std::vector<FolderScores> kFolders = {
    {1, {{1, {3, 5, 9, 20, 11, 4}, 4}, {4, {1, 2, 2.5, 2.6, 3, 2.9}, 5}}},
    {2, {{1, {-4, -1, 6, 8, 2, -3, -5}, 4}}},
    {3, {{1, {-9, -7, -2, -3, -8}, 3}, {3, {7, 7, 7, 7, 7}, 1}}},
    {4, {{2, {0.5, 0.25}, 1}}},
};

class FocusCurveSvg : public testing::TestWithParam<FolderScores> {};

TEST_P(FocusCurveSvg, EveryLineIsItsRelativeScoresWithThePickAndTheEstimateOnIt) {
    const FolderScores& folder = GetParam();
    const std::string svg = focus_curve_svg(folder, {"first", "second"});
    EXPECT_EQ(count_of(svg, "<svg"), 1u);
    const std::vector<std::string> lines = attribute_values(svg, "points");
    const std::vector<std::string> dots_x = attribute_values(svg, "cx");
    const std::vector<std::string> dots_y = attribute_values(svg, "cy");
    ASSERT_EQ(lines.size(), folder.methods.size());
    ASSERT_EQ(dots_x.size(), folder.methods.size());
    // The dashed estimate lines, in method order.
    std::vector<double> estimate_x;
    for (std::size_t at = svg.find("class=\"peak\""); at != std::string::npos;
         at = svg.find("class=\"peak\"", at + 1)) {
        estimate_x.push_back(std::atof(attribute_values(svg.substr(at), "x1")[0].c_str()));
    }
    ASSERT_EQ(estimate_x.size(), folder.methods.size());
    // x of the n-th image and y of relative score r, taken from the first line's first image and
    // its step and from the scale every line shares.
    const std::vector<Point> first = polyline_points(lines[0]);
    const double x0 = first[0].x, x_step = first[1].x - first[0].x;
    double y_of_1 = 0, y_per_unit = 0;
    for (std::size_t m = 0; m < folder.methods.size(); ++m) {
        const MethodScores& method = folder.methods[m];
        SCOPED_TRACE("method " + std::to_string(method.method));
        const std::vector<Point> points = polyline_points(lines[m]);
        const std::vector<long double> relative = expected_relative(method.scores);
        ASSERT_EQ(points.size(), method.scores.size());
        // The pick sits at relative score 1; the lowest point gives the scale most precisely.
        const std::size_t pick = static_cast<std::size_t>(method.best_number - 1);
        const std::size_t lowest = static_cast<std::size_t>(
            std::min_element(relative.begin(), relative.end()) - relative.begin());
        if (y_of_1 == 0) y_of_1 = points[pick].y;
        if (y_per_unit == 0 && relative[lowest] != 1) {
            y_per_unit = (points[lowest].y - y_of_1) / static_cast<double>(1 - relative[lowest]);
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_NEAR(points[i].x, x0 + static_cast<double>(i) * x_step, 0.02);
        }
        ASSERT_GT(x_step, 0);
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_NEAR(points[i].y, y_of_1 + static_cast<double>(1 - relative[i]) * y_per_unit,
                        0.02);
        }
        EXPECT_NEAR(std::atof(dots_x[m].c_str()), points[pick].x, 0.005);
        EXPECT_NEAR(std::atof(dots_y[m].c_str()), points[pick].y, 0.005);
        const double estimate = fractional_best(method.scores, method.best_number);
        EXPECT_NEAR(estimate_x[m], x0 + (estimate - 1) * x_step, 0.01);
    }
    // Higher scores are drawn higher up; every curve's best touches the same top line.
    EXPECT_GT(y_per_unit, 0.0);
    // A curve with no positive score is not "score / best": the plot says what it is instead.
    std::size_t not_positive = 0;
    for (std::size_t m = 0; m < folder.methods.size(); ++m) {
        const std::vector<double>& scores = folder.methods[m].scores;
        if (*std::max_element(scores.begin(), scores.end()) <= 0) {
            ++not_positive;
            EXPECT_NE(
                svg.find(std::string(m == 0 ? "first" : "second") + ": (score \u2212 lowest)"),
                std::string::npos);
        }
    }
    EXPECT_EQ(count_of(svg, "class=\"note\""), not_positive);
}

INSTANTIATE_TEST_SUITE_P(Scalings, FocusCurveSvg, testing::ValuesIn(kFolders),
                         [](const testing::TestParamInfo<FolderScores>& info) {
                             return "folder" + std::to_string(info.param.folder);
                         });

TEST(CurveColour, TheFirstEightMeasuresGetDistinctColours) {
    std::set<std::string> colours;
    for (std::size_t m = 0; m < 8; ++m) colours.insert(curve_colour(m));
    EXPECT_EQ(colours.size(), 8u);
}

// Ten measures and more in one plot: no two of the first twelve lines look alike.
TEST(CurveColour, TheFirstTwelveMeasuresGetDistinctColours) {
    std::set<std::string> colours;
    for (std::size_t m = 0; m < 12; ++m) colours.insert(curve_colour(m));
    EXPECT_EQ(colours.size(), 12u);
}

}  // namespace
}  // namespace bestfocus
