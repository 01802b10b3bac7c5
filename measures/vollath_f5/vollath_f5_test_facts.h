// What the tests know of Vollath F5 from its definition alone, written apart from its kernel and
// row sums: its long double reference, and the OpenCV code a user would write. Included only by the
// tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct vollath_f5 {
    static constexpr bool window = false;

    // (N P - S1^2) / N, 0 on an image of one row.
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        const PixelMomentSums m = pixel_moment_sums(image, width, height);
        if (height < 2 || m.n == 0) return {0.0L, 0.0L};
        return {(m.n * m.p - m.s1 * m.s1) / m.n, (m.n * m.abs_p + m.abs_s1 * m.abs_s1) / m.n};
    }

    // A fraction of several sums, not an integer total: no exact() here. tests/engines checks it
    // against exact fractions through the tool; the CPU engine's suites between the engines.

    static double opencv(const cv::Mat& bytes) {
        if (bytes.rows < 2) return 0.0;
        const cv::Mat values = scaled_to_unit(bytes);
        const double products =
            values.rowRange(0, values.rows - 1).dot(values.rowRange(1, values.rows));
        const double mean = cv::mean(values)[0];
        return products - static_cast<double>(values.total()) * mean * mean;
    }
};

}  // namespace bestfocus::test_facts
