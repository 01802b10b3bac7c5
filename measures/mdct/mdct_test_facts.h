// What the tests know of MDCT from its definition alone, written apart from its kernel and row
// sums: its long double reference, its exact integer total, and the OpenCV code a user would
// write. Included only by the tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct mdct {
    static constexpr bool window = true;

    // Weight +1 where the row and the column offset lie in the same half of the 4 x 4 window, -1
    // otherwise; anchors stop one short of the last fitting position on each axis.
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        Stencil sign_pattern;
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                sign_pattern.push_back({j, i, (i < 2) == (j < 2) ? 1.0L : -1.0L});
            }
        }
        return sum_of_squared_responses(image, width, width - 4, height - 4, {sign_pattern});
    }

    template <class Image>
    static ExactValue exact(const Image& image) {
        ExactStencil sign_pattern;
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                sign_pattern.push_back({j, i, (i < 2) == (j < 2) ? 1 : -1});
            }
        }
        return exact_squared_responses(image, image.width - 4, image.height - 4, {sign_pattern});
    }

    static double opencv(const cv::Mat& bytes) {
        // The upper rows' left-minus-right minus the lower rows' left-minus-right.
        static const cv::Mat sign_pattern = (cv::Mat_<double>(4, 4) << 1, 1, -1, -1,  //
                                             1, 1, -1, -1,                            //
                                             -1, -1, 1, 1,                            //
                                             -1, -1, 1, 1);
        cv::Mat window_sums;
        // Anchor (0, 0): the response at (x, y) is the window whose top-left corner is (x, y).
        cv::filter2D(scaled_to_unit(bytes), window_sums, CV_64F, sign_pattern, cv::Point(0, 0));
        // The tool counts window corners x < width - 4 and y < height - 4.
        const cv::Rect corners(0, 0, bytes.cols - 4, bytes.rows - 4);
        return cv::norm(window_sums(corners), cv::NORM_L2SQR);
    }
};

}  // namespace bestfocus::test_facts
