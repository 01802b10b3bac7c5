#include "depth_fill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace bestfocus {

namespace {

constexpr int kPasses = 3;
// Below this weight the fill is too far from any confident pixel to say anything.
constexpr double kLeastWeight = 1e-6;

// One pass of the recursive filter along a line of n values `step` apart in each of the two
// planes, its gains gain[k] between k - 1 and k (the same step apart).
void filter_line(double* a, double* b, const double* gain, int n, std::ptrdiff_t step) {
    for (int k = 1; k < n; ++k) {
        const double g = gain[k * step];
        a[k * step] += g * (a[(k - 1) * step] - a[k * step]);
        b[k * step] += g * (b[(k - 1) * step] - b[k * step]);
    }
    for (int k = n - 2; k >= 0; --k) {
        const double g = gain[(k + 1) * step];
        a[k * step] += g * (a[(k + 1) * step] - a[k * step]);
        b[k * step] += g * (b[(k + 1) * step] - b[k * step]);
    }
}

}  // namespace

std::vector<float> filled_depth(const std::vector<float>& depth,
                                const std::vector<float>& confidence, const cv::Mat& guide,
                                float when_none) {
    const int width = guide.cols;
    const int height = guide.rows;
    const std::size_t pixels = depth.size();
    std::vector<float> filled(pixels, when_none);
    if (*std::max_element(confidence.begin(), confidence.end()) < kConfident) {
        return filled;
    }
    cv::Mat values;
    guide.convertTo(values, CV_64F, 1.0 / (guide.depth() == CV_8U ? 255.0 : 65535.0));
    const double sigma_space = std::max(width, height) / 4.0;
    const double sigma_range = 0.1;
    // The distance between neighbours along rows and down columns: 1 + (σs / σr)·|ΔI|.
    std::vector<double> across(pixels, 1.0);
    std::vector<double> down(pixels, 1.0);
    for (int y = 0; y < height; ++y) {
        const double* row = values.ptr<double>(y);
        for (int x = 0; x < width; ++x) {
            const std::size_t p = static_cast<std::size_t>(y) * width + x;
            if (x > 0) across[p] += sigma_space / sigma_range * std::fabs(row[x] - row[x - 1]);
            if (y > 0) {
                down[p] +=
                    sigma_space / sigma_range * std::fabs(row[x] - values.ptr<double>(y - 1)[x]);
            }
        }
    }
    std::vector<double> weighted(pixels);
    std::vector<double> weights(pixels);
    for (std::size_t p = 0; p < pixels; ++p) {
        const double w = confidence[p] * confidence[p];
        weights[p] = w;
        weighted[p] = w * depth[p];
    }
    std::vector<double> gain(pixels);
    for (int pass = 0; pass < kPasses; ++pass) {
        const double sigma = sigma_space * std::sqrt(3.0) * std::pow(2.0, kPasses - pass - 1) /
                             std::sqrt(std::pow(4.0, kPasses) - 1);
        const double a = std::exp(-std::sqrt(2.0) / sigma);
        for (std::size_t p = 0; p < pixels; ++p) gain[p] = std::pow(a, across[p]);
        for (int y = 0; y < height; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * width;
            filter_line(&weighted[at], &weights[at], &gain[at], width, 1);
        }
        for (std::size_t p = 0; p < pixels; ++p) gain[p] = std::pow(a, down[p]);
        for (int x = 0; x < width; ++x) {
            filter_line(&weighted[x], &weights[x], &gain[x], height, width);
        }
    }
    for (std::size_t p = 0; p < pixels; ++p) {
        const float fill =
            weights[p] > kLeastWeight ? static_cast<float>(weighted[p] / weights[p]) : when_none;
        const float own = std::min(1.0f, confidence[p] / kConfident);
        filled[p] = own * depth[p] + (1 - own) * fill;
    }
    return filled;
}

}  // namespace bestfocus
