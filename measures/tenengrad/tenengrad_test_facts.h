// What the tests know of Tenengrad from its definition alone, written apart from its kernel and row
// sums: its long double reference, its exact integer total, and the OpenCV code a user would
// write. Included only by the tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct tenengrad {
    static constexpr bool window = true;

    // Gx = left column - right column and Gy = top row - bottom row of the 3 x 3 window, each
    // weighted 1, 2, 1; every fitting position counts.
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        const long double weights[3] = {1.0L, 2.0L, 1.0L};
        Stencil gx;
        Stencil gy;
        for (int k = 0; k < 3; ++k) {
            gx.push_back({0, k, weights[k]});
            gx.push_back({2, k, -weights[k]});
            gy.push_back({k, 0, weights[k]});
            gy.push_back({k, 2, -weights[k]});
        }
        return sum_of_squared_responses(image, width, width - 2, height - 2, {gx, gy});
    }

    template <class Image>
    static ExactValue exact(const Image& image) {
        const ExactStencil gx = {{0, 0, 1},  {0, 1, 2},  {0, 2, 1},
                                 {2, 0, -1}, {2, 1, -2}, {2, 2, -1}};
        const ExactStencil gy = {{0, 0, 1},  {1, 0, 2},  {2, 0, 1},
                                 {0, 2, -1}, {1, 2, -2}, {2, 2, -1}};
        return exact_squared_responses(image, image.width - 2, image.height - 2, {gx, gy});
    }

    static double opencv(const cv::Mat& bytes) {
        const cv::Mat values = scaled_to_unit(bytes);
        cv::Mat gradient_x;
        cv::Mat gradient_y;
        cv::Sobel(values, gradient_x, CV_64F, 1, 0, 3);
        cv::Sobel(values, gradient_y, CV_64F, 0, 1, 3);
        const cv::Rect inner = off_border(values);
        return cv::norm(gradient_x(inner), cv::NORM_L2SQR) +
               cv::norm(gradient_y(inner), cv::NORM_L2SQR);
    }
};

}  // namespace bestfocus::test_facts
