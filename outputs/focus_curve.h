// What a stack's focus curve (its images' scores under one measure, image 1 first) says about
// the pick: warnings for a doubtful pick, and an estimate of focus between two images.
#pragma once

#include <string>
#include <vector>

// The best score is flat when it lies within this factor of the curve's median: nothing in the
// stack is clearly sharper than the rest (a real stack through focus peaks at several times its
// median; measures whose signal is lost in noise stay within a few per cent of it).
constexpr double kFlatCurveFactor = 1.05;
// A second peak counts when it rises above the curve's minimum by at least this share of the
// best's rise, and the valley between the two is deeper than kSecondPeakMinimumDip of that rise
// below the second peak (so noise on a broad peak is not a second peak).
constexpr double kSecondPeakShare = 0.5;
constexpr double kSecondPeakMinimumDip = 0.1;

struct CurveWarnings {
    bool edge = false;       // the pick is the first or last image: focus may lie outside the stack
    bool flat = false;       // the best is within kFlatCurveFactor of the median
    bool two_peaks = false;  // another local maximum reaches kSecondPeakShare of the best; not
                             // judged on a flat curve, whose local maxima are noise
};

// The warnings for a curve whose pick is the 1-based best_number. Stacks of one or two images
// have no interior, so they only ever get the flat warning.
CurveWarnings check_curve(const std::vector<double>& scores, int best_number);

// Picks that differ by more than one image between measures.
bool picks_disagree(const std::vector<int>& best_numbers);

// The focus position between images: the vertex of the parabola through the logarithms of the
// scores at best - 1, best and best + 1 (a Gaussian through three points), clamped to that
// interval, 1-based like the pick. The pick itself at either end of the stack, and where the
// three scores do not allow the fit: the plain parabola through the scores when one of them is
// not positive (Vollath F4 can be negative), the pick when the three are equal.
double fractional_best(const std::vector<double>& scores, int best_number);

// The short names of the warnings, ';'-separated: "edge", "flat", "two-peaks", "disagree";
// empty when there are none.
std::string flag_names(const CurveWarnings& warnings, bool disagree);
