// The curve checks on synthetic focus curves whose shape is known, and the three-point fit on
// curves where it is exact.
#include "focus_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "flag_text.h"

namespace bestfocus {
namespace {

// exp(-(x - centre)^2 / (2 width^2)) at x = 1..count, scaled and lifted by a floor.
std::vector<double> gaussian_curve(int count, double centre, double width, double floor = 0.0) {
    std::vector<double> curve;
    for (int x = 1; x <= count; ++x) {
        curve.push_back(floor +
                        1000.0 * std::exp(-(x - centre) * (x - centre) / (2 * width * width)));
    }
    return curve;
}

int first_maximum(const std::vector<double>& curve) {
    int best = 1;
    for (std::size_t i = 1; i < curve.size(); ++i) {
        if (curve[i] > curve[static_cast<std::size_t>(best - 1)]) best = static_cast<int>(i) + 1;
    }
    return best;
}

std::string flags_of(const std::vector<double>& curve) {
    return flag_list(check_curve(curve, first_maximum(curve)));
}

TEST(CurveChecks, ShapesGetTheirWarnings) {
    EXPECT_EQ(flags_of(gaussian_curve(20, 10.3, 2.0, 50.0)), "");         // one clear peak
    EXPECT_EQ(flags_of(gaussian_curve(20, 24.0, 4.0, 50.0)), "edge");     // focus past the end
    EXPECT_EQ(flags_of(gaussian_curve(20, -3.0, 4.0, 50.0)), "edge");     // before the start
    EXPECT_EQ(flags_of(gaussian_curve(20, 10.0, 2.0, 40000.0)), "flat");  // 2.5 % above the floor

    std::vector<double> two = gaussian_curve(20, 5.0, 1.5, 50.0);
    const std::vector<double> second = gaussian_curve(20, 15.0, 1.5);
    for (std::size_t i = 0; i < two.size(); ++i) two[i] += 0.7 * second[i];
    EXPECT_EQ(flags_of(two), "two-peaks");
}

TEST(CurveChecks, NoiseOnOnePeakIsNotASecondPeak) {
    std::vector<double> curve = gaussian_curve(21, 11.0, 4.0, 10.0);
    curve[12] = curve[11] + 1.0;  // a bump a thousandth of the rise, right beside the peak
    EXPECT_FALSE(check_curve(curve, first_maximum(curve)).has(Flag::two_peaks));
    // The same bump with a small second peak far away: too low to count.
    curve[18] = curve[17] + 0.3 * (curve[10] - 10.0);
    EXPECT_FALSE(check_curve(curve, first_maximum(curve)).has(Flag::two_peaks));
}

TEST(CurveChecks, FlatnessComparesWithTheMedianAlsoForNegativeScores) {
    EXPECT_TRUE(check_curve({100, 104, 101, 102}, 2).has(Flag::flat));
    EXPECT_FALSE(check_curve({100, 130, 101, 102}, 2).has(Flag::flat));
    EXPECT_TRUE(
        check_curve({-100, -98, -99, -101}, 2).has(Flag::flat));  // Vollath F4 can be negative
    EXPECT_FALSE(check_curve({-100, 40, -99, -101}, 2).has(Flag::flat));
    // Bumps of a flat curve are noise, not a second peak.
    EXPECT_FALSE(check_curve({100, 103, 101, 103.5, 100}, 4).has(Flag::two_peaks));
}

// Short stacks and equal scores: the whole flag set is known.
struct ShortCurve {
    std::vector<double> scores;
    int best;
    const char* flags;
};

void PrintTo(const ShortCurve& curve, std::ostream* out) {
    *out << ::testing::PrintToString(curve.scores) << " -> " << curve.flags;
}

class ShortAndEqualCurves : public testing::TestWithParam<ShortCurve> {};

TEST_P(ShortAndEqualCurves, GetExactlyTheirFlags) {
    EXPECT_EQ(flag_list(check_curve(GetParam().scores, GetParam().best)), GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(
    CurveChecks, ShortAndEqualCurves,
    testing::Values(ShortCurve{{7}, 1, "edge"},                 // one image brackets nothing
                    ShortCurve{{1, 9}, 2, "edge"},              // two images: always at an end
                    ShortCurve{{9, 1}, 1, "edge"},              //
                    ShortCurve{{100, 101}, 2, "edge;flat"},     // and flat when within 5 %
                    ShortCurve{{5, 5}, 1, "flat"},              // equal scores: flat only
                    ShortCurve{{0, 0, 0}, 1, "flat"},           // a blank stack
                    ShortCurve{{-3, -3, -3, -3}, 1, "flat"}));  // negative scores alike

TEST(CurveChecks, PicksDisagreeByMoreThanOneImage) {
    EXPECT_FALSE(picks_disagree({11}));
    EXPECT_FALSE(picks_disagree({11, 12, 11, 12}));
    EXPECT_TRUE(picks_disagree({11, 13}));
}

TEST(FractionalBest, GaussianPeakIsFoundExactly) {
    for (const double centre : {9.5, 10.0, 10.2, 10.49, 10.51}) {
        const std::vector<double> curve = gaussian_curve(20, centre, 1.7);
        EXPECT_NEAR(fractional_best(curve, first_maximum(curve)), centre, 1e-9) << centre;
    }
}

TEST(FractionalBest, StaysBetweenTheNeighboursAndAtTheEnds) {
    // Two equal tops: the vertex lies half-way, the farthest it can be from the pick.
    EXPECT_DOUBLE_EQ(fractional_best({1, 1e6, 1e6, 1}, 2), 2.5);
    EXPECT_DOUBLE_EQ(fractional_best({5, 3, 1}, 1), 1.0);
    EXPECT_DOUBLE_EQ(fractional_best({1, 3, 5}, 3), 3.0);
    EXPECT_DOUBLE_EQ(fractional_best({4, 4, 4, 4}, 2), 2.0);
    // Not all positive: the parabola through the scores themselves, vertex at
    // 2 + (a - c) / (2 (a - 2b + c)) = 2 + (-2) / (-8).
    EXPECT_DOUBLE_EQ(fractional_best({-1, 2, 1}, 2), 2.25);
}

}  // namespace
}  // namespace bestfocus
