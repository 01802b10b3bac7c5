// What the tests know of the Tenengrad variance from its definition alone, written apart from its
// kernel and row sums: its long double reference, and the OpenCV code a user would write. Included
// only by the tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct tenengrad_variance {
    // The variance of Tenengrad's terms, not a sum of squared responses.
    static constexpr bool window = false;

    // (n SumT^2 - (SumT)^2) / n^2 over Tenengrad's terms T = Gx^2 + Gy^2 at its n anchors. The
    // magnitude bounds the rounding of each T by its sum of |weight * p|, squared and summed twice.
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        const long double weights[3] = {1.0L, 2.0L, 1.0L};
        long double n = 0, sum = 0, squares = 0, magnitude = 0;
        for (int y = 0; y + 2 < height; ++y) {
            for (int x = 0; x + 2 < width; ++x) {
                long double gx = 0, gy = 0, scale = 0;
                for (int k = 0; k < 3; ++k) {
                    const auto p = [&](int dx, int dy) -> long double {
                        return image[static_cast<size_t>(y + dy) * width + x + dx];
                    };
                    gx += weights[k] * (p(0, k) - p(2, k));
                    gy += weights[k] * (p(k, 0) - p(k, 2));
                    scale += weights[k] * (std::fabs(p(0, k)) + std::fabs(p(2, k)) +
                                           std::fabs(p(k, 0)) + std::fabs(p(k, 2)));
                }
                const long double term = gx * gx + gy * gy;
                n += 1;
                sum += term;
                squares += term * term;
                magnitude += scale * scale * scale * scale;
            }
        }
        if (n == 0) return {0.0L, 0.0L};
        return {(n * squares - sum * sum) / (n * n), 4 * magnitude / n};
    }

    // A fraction of several sums, not an integer total: no exact() here. tests/engines checks it
    // against exact fractions through the tool; the CPU engine's suites between the engines.

    static double opencv(const cv::Mat& bytes) {
        if (bytes.rows < 3 || bytes.cols < 3) return 0.0;
        cv::Mat gx;
        cv::Mat gy;
        cv::Sobel(scaled_to_unit(bytes), gx, CV_64F, 1, 0);
        cv::Sobel(scaled_to_unit(bytes), gy, CV_64F, 0, 1);
        const cv::Rect inner = off_border(bytes);
        const cv::Mat terms = gx(inner).mul(gx(inner)) + gy(inner).mul(gy(inner));
        cv::Scalar mean, deviation;
        cv::meanStdDev(terms, mean, deviation);
        return deviation[0] * deviation[0];
    }
};

}  // namespace bestfocus::test_facts
