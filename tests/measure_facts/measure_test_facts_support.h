// What every measure's test facts (measures/<name>/<name>_test_facts.h) are written with: the
// long double and exact integer sums, and OpenCV on the image scaled to [0, 1].
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <type_traits>
#include <vector>

#include "exact_reference.h"
#include "pixel_moments_reference.h"
#include "reference_value.h"
#include "window_measure_reference.h"

namespace bestfocus::test_facts {

// An 8-bit image as doubles byte / 255, as the measures take it.
inline cv::Mat scaled_to_unit(const cv::Mat& bytes) {
    cv::Mat values;
    bytes.convertTo(values, CV_64F, 1.0 / 255.0);
    return values;
}

// The pixels whose 3 x 3 window lies inside the image: the filters' border handling never counts.
inline cv::Rect off_border(const cv::Mat& image) { return {1, 1, image.cols - 2, image.rows - 2}; }

// Facts::exact<Image> where the facts give an exact integer total, nullptr where they do not.
template <class Facts, class Image, class = void>
constexpr ExactValue (*exact_total_of)(const Image&) = nullptr;
template <class Facts, class Image>
constexpr ExactValue (
    *exact_total_of<Facts, Image, std::void_t<decltype(&Facts::template exact<Image>)>>)(
    const Image&) = &Facts::template exact<Image>;

}  // namespace bestfocus::test_facts
