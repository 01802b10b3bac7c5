// What a stack's focus curve (its images' scores under one measure, image 1 first) says about
// the pick: warnings for a doubtful pick, and an estimate of focus between two images.
#pragma once

#include <vector>

#include "curve_flags.h"
#include "folder_scores.h"

namespace bestfocus {

// The best score is flat when it lies within this factor of the curve's median: nothing in the
// stack is clearly sharper than the rest (a real stack through focus peaks at several times its
// median; measures whose signal is lost in noise stay within a few per cent of it).
constexpr double kFlatCurveFactor = 1.05;
// A second peak counts when it rises above the curve's minimum by at least this share of the
// best's rise, and the valley between the two is deeper than kSecondPeakMinimumDip of that rise
// below the second peak (so noise on a broad peak is not a second peak).
constexpr double kSecondPeakShare = 0.5;
constexpr double kSecondPeakMinimumDip = 0.1;

// The warnings for a curve whose pick is the 1-based best_number: edge, flat, and two_peaks,
// which is not judged on a flat curve, whose local maxima are noise. A curve of equal scores (two
// images or more) is flat only; otherwise a stack of one or two images is always edge, as it
// cannot bracket focus, and a single image is never flat (there is nothing to compare it with).
FlagSet check_curve(const std::vector<double>& scores, int best_number);

// Picks that differ by more than one image between measures.
bool picks_disagree(const std::vector<int>& best_numbers);

// The focus position between images: the vertex of the parabola through the logarithms of the
// scores at best - 1, best and best + 1 (a Gaussian through three points), clamped to that
// interval, 1-based like the pick. The pick itself at either end of the stack, and where the
// three scores do not allow the fit: the plain parabola through the scores when one of them is
// not positive (Vollath F4 can be negative), the pick when the three are equal.
double fractional_best(const std::vector<double>& scores, int best_number);

// The warnings of a curve whose pick is best_number, `picks` being every method's pick on the same
// images (or the same tile of them): the curve's, and disagree when the picks differ by more than
// one image.
FlagSet curve_flags(const std::vector<double>& scores, int best_number,
                    const std::vector<int>& picks);

// The warnings of one method of the folder: curve_flags with the folder's picks.
FlagSet method_flags(const FolderScores& folder, const MethodScores& method);

// The warnings of any of the folder's methods.
FlagSet folder_flags(const FolderScores& folder);

}  // namespace bestfocus
