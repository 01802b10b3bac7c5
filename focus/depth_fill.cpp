#include "depth_fill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace bestfocus {

namespace {

constexpr int kPasses = 3;
// Below this weight the fill is too far from any confident pixel to say anything.
constexpr double kLeastWeight = 1e-6;

// Changes of the guide up to this share of its range are taken for the sensor's noise, not edges.
constexpr double kNoiseStep = 0.02;

// The part of a change of the guide beyond its noise.
double edge_step(double a, double b) { return std::max(0.0, std::fabs(a - b) - kNoiseStep); }

// The filter's gain a^distance; most neighbours are no edge apart (distance exactly 1), whose
// power is a itself, without a call of pow.
double gain_over(double a, double distance) { return distance == 1.0 ? a : std::pow(a, distance); }

// One pass of the recursive filter along a row of n values in each of the two planes, its gains
// gain[k] between k - 1 and k.
void filter_row(double* a, double* b, const double* gain, int n) {
    for (int k = 1; k < n; ++k) {
        a[k] += gain[k] * (a[k - 1] - a[k]);
        b[k] += gain[k] * (b[k - 1] - b[k]);
    }
    for (int k = n - 2; k >= 0; --k) {
        a[k] += gain[k + 1] * (a[k + 1] - a[k]);
        b[k] += gain[k + 1] * (b[k + 1] - b[k]);
    }
}

// The same down every column of a width x height plane at once, row after row (in cache).
void filter_columns(double* a, double* b, const double* gain, int width, int height) {
    const auto step = [&](int y, int from) {
        const std::size_t row = static_cast<std::size_t>(y) * width;
        const std::size_t other = static_cast<std::size_t>(from) * width;
        const std::size_t gains = static_cast<std::size_t>(std::max(y, from)) * width;
        for (int x = 0; x < width; ++x) {
            a[row + x] += gain[gains + x] * (a[other + x] - a[row + x]);
            b[row + x] += gain[gains + x] * (b[other + x] - b[row + x]);
        }
    };
    for (int y = 1; y < height; ++y) step(y, y - 1);
    for (int y = height - 2; y >= 0; --y) step(y, y + 1);
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
            if (x > 0) across[p] += sigma_space / sigma_range * edge_step(row[x], row[x - 1]);
            if (y > 0) {
                down[p] +=
                    sigma_space / sigma_range * edge_step(row[x], values.ptr<double>(y - 1)[x]);
            }
        }
    }
    std::vector<double> weighted(pixels);
    std::vector<double> weights(pixels);
    for (std::size_t p = 0; p < pixels; ++p) {
        const double w = confidence[p] > kUnsure ? confidence[p] * confidence[p] : 0.0;
        weights[p] = w;
        weighted[p] = w * depth[p];
    }
    std::vector<double> gain(pixels);
    for (int pass = 0; pass < kPasses; ++pass) {
        const double sigma = sigma_space * std::sqrt(3.0) * std::pow(2.0, kPasses - pass - 1) /
                             std::sqrt(std::pow(4.0, kPasses) - 1);
        const double a = std::exp(-std::sqrt(2.0) / sigma);
        for (std::size_t p = 0; p < pixels; ++p) gain[p] = gain_over(a, across[p]);
        for (int y = 0; y < height; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * width;
            filter_row(&weighted[at], &weights[at], &gain[at], width);
        }
        for (std::size_t p = 0; p < pixels; ++p) gain[p] = gain_over(a, down[p]);
        filter_columns(weighted.data(), weights.data(), gain.data(), width, height);
    }
    for (std::size_t p = 0; p < pixels; ++p) {
        const float fill =
            weights[p] > kLeastWeight ? static_cast<float>(weighted[p] / weights[p]) : when_none;
        const float own =
            std::clamp((confidence[p] - kUnsure) / (kConfident - kUnsure), 0.0f, 1.0f);
        filled[p] = own * depth[p] + (1 - own) * fill;
    }
    return filled;
}

}  // namespace bestfocus
