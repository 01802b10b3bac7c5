#include "focus_curve.h"

#include <algorithm>
#include <cmath>

namespace bestfocus {
namespace {

double median(std::vector<double> values) {
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) {
        return upper;
    }
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<long>(middle));
    return lower + (upper - lower) / 2;
}

bool is_flat(const std::vector<double>& scores, double best) {
    const double middle = median(scores);
    // Scores may be negative (Vollath F4): compare the best's lead over the median with the
    // median's own size.
    return best - middle <= (kFlatCurveFactor - 1.0) * std::fabs(middle);
}

// Whether an interior local maximum other than the pick rises high enough, with a deep enough
// valley between it and the pick.
bool has_second_peak(const std::vector<double>& scores, std::size_t best) {
    const double lowest = *std::min_element(scores.begin(), scores.end());
    const double rise = scores[best] - lowest;
    if (!(rise > 0.0)) {
        return false;
    }
    for (std::size_t i = 1; i + 1 < scores.size(); ++i) {
        const bool local_maximum = scores[i] > scores[i - 1] && scores[i] >= scores[i + 1];
        if (i == best || !local_maximum || scores[i] - lowest < kSecondPeakShare * rise) {
            continue;
        }
        const auto from = scores.begin() + static_cast<long>(std::min(i, best));
        const auto to = scores.begin() + static_cast<long>(std::max(i, best)) + 1;
        const double valley = *std::min_element(from, to);
        if (scores[i] - valley >= kSecondPeakMinimumDip * rise) {
            return true;
        }
    }
    return false;
}

// The vertex offset, in images from the middle point, of the parabola through (-1, a), (0, b),
// (1, c); 0 when the three lie on a line or the middle is not above its neighbours.
double vertex_offset(double a, double b, double c) {
    const double curvature = a - 2.0 * b + c;
    if (!(curvature < 0.0)) {
        return 0.0;
    }
    return std::clamp((a - c) / (2.0 * curvature), -1.0, 1.0);
}

}  // namespace

FlagSet check_curve(const std::vector<double>& scores, int best_number) {
    FlagSet flags;
    if (scores.empty()) {
        return flags;
    }
    // Equal scores say nothing about where focus lies, not even that it lies past an end.
    const bool all_equal =
        scores.size() > 1 && std::equal(scores.begin() + 1, scores.end(), scores.begin());
    if (all_equal) {
        flags.set(Flag::flat);
        return flags;
    }
    const std::size_t best = static_cast<std::size_t>(best_number - 1);
    // One or two images cannot bracket focus: the pick is always at an end.
    flags.set(Flag::edge, scores.size() <= 2 || best == 0 || best + 1 == scores.size());
    if (scores.size() >= 2) {
        flags.set(Flag::flat, is_flat(scores, scores[best]));
    }
    if (scores.size() >= 3) {
        flags.set(Flag::two_peaks, !flags.has(Flag::flat) && has_second_peak(scores, best));
    }
    return flags;
}

bool picks_disagree(const std::vector<int>& best_numbers) {
    if (best_numbers.empty()) {
        return false;
    }
    const auto [lowest, highest] = std::minmax_element(best_numbers.begin(), best_numbers.end());
    return *highest - *lowest > 1;
}

double fractional_best(const std::vector<double>& scores, int best_number) {
    const std::size_t best = static_cast<std::size_t>(best_number - 1);
    if (best == 0 || best + 1 >= scores.size()) {
        return best_number;
    }
    const double before = scores[best - 1];
    const double at = scores[best];
    const double after = scores[best + 1];
    const bool positive = before > 0.0 && at > 0.0 && after > 0.0;
    const double offset = positive ? vertex_offset(std::log(before), std::log(at), std::log(after))
                                   : vertex_offset(before, at, after);
    return best_number + offset;
}

FlagSet curve_flags(const std::vector<double>& scores, int best_number,
                    const std::vector<int>& picks) {
    FlagSet flags = check_curve(scores, best_number);
    flags.set(Flag::disagree, picks_disagree(picks));
    return flags;
}

FlagSet method_flags(const FolderScores& folder, const MethodScores& method) {
    std::vector<int> picks;
    for (const MethodScores& each : folder.methods) {
        picks.push_back(each.best_number);
    }
    return curve_flags(method.scores, method.best_number, picks);
}

FlagSet folder_flags(const FolderScores& folder) {
    FlagSet flags;
    for (const MethodScores& method : folder.methods) {
        flags |= method_flags(folder, method);
    }
    return flags;
}

}  // namespace bestfocus
