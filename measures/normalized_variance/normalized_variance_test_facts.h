// What the tests know of the normalized variance from its definition alone, written apart from its
// kernel and row sums: its long double reference, and the OpenCV code a user would write. Included
// only by the tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct normalized_variance {
    static constexpr bool window = false;

    // (N S2 - S1^2) / (N S1), 0 for S1 = 0.
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        const PixelMomentSums m = pixel_moment_sums(image, width, height);
        if (m.s1 == 0) return {0.0L, 0.0L};
        return {(m.n * m.s2 - m.s1 * m.s1) / (m.n * m.s1),
                (m.n * m.s2 + m.abs_s1 * m.abs_s1) / (m.n * std::fabs(m.s1))};
    }

    // A fraction of several sums, not an integer total: no exact() here. tests/engines checks it
    // against exact fractions through the tool; the CPU engine's suites between the engines.

    static double opencv(const cv::Mat& bytes) {
        cv::Scalar mean, deviation;
        cv::meanStdDev(scaled_to_unit(bytes), mean, deviation);
        return mean[0] == 0.0 ? 0.0 : deviation[0] * deviation[0] / mean[0];
    }
};

}  // namespace bestfocus::test_facts
