// The maps at every pixel against references written from their definitions: the running state's
// depth, confidence and picked pixel against the whole curve held; the fill's edges and fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "depth_fill.h"
#include "pixel_focus.h"

using namespace bestfocus;

namespace {

struct Expected {
    double depth;
    double confidence;
    int image;
};

// From the whole curve: the first largest response b at image i, the parabola through its
// neighbours (none at the ends), the largest of the images two or more away m, the least n.
Expected from_curve(const std::vector<float>& curve) {
    const int count = static_cast<int>(curve.size());
    const int i = static_cast<int>(std::max_element(curve.begin(), curve.end()) - curve.begin());
    const long double b = curve[i];
    long double m = 0;
    long double n = b;
    for (int k = 0; k < count; ++k) {
        if (std::abs(k - i) >= 2) m = std::max<long double>(m, curve[k]);
        n = std::min<long double>(n, curve[k]);
    }
    long double shift = 0;
    if (i > 0 && i + 1 < count) {
        const long double l = curve[i - 1], u = curve[i + 1];
        if (l - 2 * b + u < 0)
            shift = std::clamp<long double>((l - u) / (2 * (l - 2 * b + u)), -0.5, 0.5);
    }
    const long double confidence =
        b > 0 ? std::clamp<long double>((b - m) / b * (b - n) / b, 0, 1) : 0;
    return {static_cast<double>(i + 1 + shift), static_cast<double>(confidence), i + 1};
}

// Curves of a few images, a pixel each: a peak inside, at either end, two peaks, flat, equal
// neighbours, the best at each position in turn; then random ones.
TEST(PixelFocus, DepthConfidenceAndPixelAreTheWholeCurvesOnes) {
    for (const int images : {1, 2, 3, 4, 7}) {
        std::vector<std::vector<float>> curves;
        std::mt19937 random(images);
        for (int peak = 0; peak < images; ++peak) {
            std::vector<float> curve(images);
            for (int k = 0; k < images; ++k) curve[k] = 10.0f / (1 + std::abs(k - peak));
            curves.push_back(curve);
            curve[images - 1 - peak] = curve[peak];  // a second peak as high, or the same one
            curves.push_back(curve);
        }
        curves.push_back(std::vector<float>(images, 0.0f));
        curves.push_back(std::vector<float>(images, 3.0f));
        for (int pixel = 0; pixel < 300; ++pixel) {
            std::vector<float> curve(images);
            for (float& value : curve) value = static_cast<float>(random() % 6);
            curves.push_back(curve);
        }
        const int width = static_cast<int>(curves.size());
        PixelFocus focus(width, 1, images, images);
        for (int image = 1; image <= images; ++image) {
            std::vector<float> responses;
            std::vector<std::uint16_t> pixels;
            for (const std::vector<float>& curve : curves) {
                responses.push_back(curve[image - 1]);
                pixels.push_back(static_cast<std::uint16_t>(1000 + image));
            }
            focus.add(image, responses.data(), {pixels.data(), PixelDepth::u16, width, 1, width});
        }
        const std::vector<float> depth = focus.depth();
        const std::vector<float> confidence = focus.confidence();
        const cv::Mat focused = focus.focused();
        for (int p = 0; p < width; ++p) {
            const Expected expected = from_curve(curves[p]);
            ASSERT_NEAR(depth[p], expected.depth, 1e-6) << images << " images, pixel " << p;
            ASSERT_NEAR(confidence[p], expected.confidence, 1e-6)
                << images << " images, pixel " << p;
            // Where the peak is not clear, the pick's pixel (here the last image's).
            ASSERT_EQ(focused.at<std::uint16_t>(0, p),
                      1000 + (expected.confidence > kUnsure ? expected.image : images))
                << p;
        }
    }
}

struct FillCase {
    const char* name;
    int confident_columns;  // of each half, from the outer border; 0: none
};

class DepthFill : public testing::TestWithParam<FillCase> {};

// The image's left half dark at depth 3, its right half bright at depth 8; only a few columns at
// the outer borders are confident. The fill must keep each half's depth up to the edge between
// them; with no confident pixel, the stack's own focus everywhere.
TEST_P(DepthFill, KeepsEachSideOfAnEdgeAtItsOwnDepth) {
    const int width = 64, height = 24;
    cv::Mat guide(height, width, CV_8UC1, cv::Scalar(30));
    guide.colRange(width / 2, width).setTo(220);
    std::vector<float> depth(width * height), confidence(width * height, 0.0f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            depth[y * width + x] = x < width / 2 ? 3.0f : 8.0f;
            if (x < GetParam().confident_columns || x >= width - GetParam().confident_columns) {
                confidence[y * width + x] = 0.9f;
            } else {
                depth[y * width + x] = 20.0f;  // not confident: whatever the curve said
            }
        }
    }
    const std::vector<float> filled = filled_depth(depth, confidence, guide, 5.5f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double expected =
                GetParam().confident_columns == 0 ? 5.5 : (x < width / 2 ? 3.0 : 8.0);
            ASSERT_NEAR(filled[y * width + x], expected, 0.02) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DepthFill,
                         testing::Values(FillCase{"borders_confident", 3},
                                         FillCase{"nothing_confident", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
