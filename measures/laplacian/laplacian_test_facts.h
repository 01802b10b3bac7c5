// What the tests know of the Laplacian from its definition alone, written apart from its kernel and
// row sums: its long double reference, its exact integer total, and the OpenCV code a user would
// write. Included only by the tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct laplacian {
    static constexpr bool window = true;

    // The four neighbours of the window's centre minus four times the centre.
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        const Stencil laplacian = {
            {1, 0, 1.0L}, {1, 2, 1.0L}, {0, 1, 1.0L}, {2, 1, 1.0L}, {1, 1, -4.0L}};
        return sum_of_squared_responses(image, width, width - 2, height - 2, {laplacian});
    }

    template <class Image>
    static ExactValue exact(const Image& image) {
        const ExactStencil laplacian = {{1, 0, 1}, {1, 2, 1}, {0, 1, 1}, {2, 1, 1}, {1, 1, -4}};
        return exact_squared_responses(image, image.width - 2, image.height - 2, {laplacian});
    }

    static double opencv(const cv::Mat& bytes) {
        const cv::Mat values = scaled_to_unit(bytes);
        cv::Mat laplacian;
        cv::Laplacian(values, laplacian, CV_64F);  // aperture 1: the four-neighbour stencil
        return cv::norm(laplacian(off_border(values)), cv::NORM_L2SQR);
    }
};

}  // namespace bestfocus::test_facts
