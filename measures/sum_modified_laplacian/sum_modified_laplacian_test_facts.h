// What the tests know of the sum-modified Laplacian from its definition alone, written apart from
// its kernel and row sums: its long double reference, its exact integer total, and the OpenCV code
// a user would write. Included only by the tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct sum_modified_laplacian {
    static constexpr bool window = true;

    // |2 c - left - right| + |2 c - above - below| around each window centre.
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        auto p = [&](int x, int y) -> long double {
            return image[static_cast<size_t>(y) * width + x];
        };
        ReferenceValue sum{0.0L, 0.0L};
        for (int y = 1; y + 1 < height; ++y) {
            for (int x = 1; x + 1 < width; ++x) {
                sum.value += std::fabs(2 * p(x, y) - p(x - 1, y) - p(x + 1, y)) +
                             std::fabs(2 * p(x, y) - p(x, y - 1) - p(x, y + 1));
                sum.magnitude += 4 * std::fabs(p(x, y)) + std::fabs(p(x - 1, y)) +
                                 std::fabs(p(x + 1, y)) + std::fabs(p(x, y - 1)) +
                                 std::fabs(p(x, y + 1));
            }
        }
        return sum;
    }

    // Linear in the pixels, so its value over max_pixel is given here times max_pixel, over
    // max_pixel^2 as the others'.
    template <class Image>
    static ExactValue exact(const Image& image) {
        long long sum = 0;
        for (int y = 1; y + 1 < image.height; ++y) {
            for (int x = 1; x + 1 < image.width; ++x) {
                const long long twice = 2 * image.at(x, y);
                sum += std::abs(twice - image.at(x - 1, y) - image.at(x + 1, y)) +
                       std::abs(twice - image.at(x, y - 1) - image.at(x, y + 1));
            }
        }
        return {sum * Image::kMaxPixel, sum * Image::kMaxPixel};
    }

    static double opencv(const cv::Mat& bytes) {
        const cv::Mat values = scaled_to_unit(bytes);
        const cv::Mat across = (cv::Mat_<double>(1, 3) << -1, 2, -1);
        cv::Mat second_x;
        cv::Mat second_y;
        cv::filter2D(values, second_x, CV_64F, across);
        cv::filter2D(values, second_y, CV_64F, across.t());
        const cv::Rect inner = off_border(values);
        return cv::norm(second_x(inner), cv::NORM_L1) + cv::norm(second_y(inner), cv::NORM_L1);
    }
};

}  // namespace bestfocus::test_facts
