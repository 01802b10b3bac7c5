// What the tests know of Brenner from its definition alone, written apart from its kernel and row
// sums: its long double reference, its exact integer total, and the OpenCV code a user would
// write. Included only by the tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct brenner {
    static constexpr bool window = true;

    // The pixel two rows below less the pixel, at every column.
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        const Stencil difference = {{0, 2, 1.0L}, {0, 0, -1.0L}};
        return sum_of_squared_responses(image, width, width, height - 2, {difference});
    }

    template <class Image>
    static ExactValue exact(const Image& image) {
        const ExactStencil difference = {{0, 2, 1}, {0, 0, -1}};
        return exact_squared_responses(image, image.width, image.height - 2, {difference});
    }

    static double opencv(const cv::Mat& bytes) {
        if (bytes.rows < 3) return 0.0;
        const cv::Mat values = scaled_to_unit(bytes);
        const cv::Mat difference =
            values.rowRange(2, values.rows) - values.rowRange(0, values.rows - 2);
        return cv::norm(difference, cv::NORM_L2SQR);
    }
};

}  // namespace bestfocus::test_facts
