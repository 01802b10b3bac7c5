#include "depth_heat_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "depth_fill.h"

namespace bestfocus {
namespace {

// Viridis at nine evenly spaced points, as R, G, B: dark to light, readable in gray and with the
// common forms of colour blindness.
constexpr unsigned char kViridis[][3] = {
    {0x44, 0x01, 0x54}, {0x47, 0x2d, 0x7b}, {0x3b, 0x52, 0x8b},
    {0x2c, 0x72, 0x8e}, {0x21, 0x91, 0x8c}, {0x28, 0xae, 0x80},
    {0x5e, 0xc9, 0x62}, {0xad, 0xdc, 0x30}, {0xfd, 0xe7, 0x25}};
constexpr int kSteps = static_cast<int>(std::size(kViridis)) - 1;

// Diagonal stripes this many times across the picture's longer side, a third of each period
// dark: still stripes on the card's thumbnail, a quarter of the picture's size.
constexpr int kHatchStripes = 40;

}  // namespace

cv::Vec3b depth_colour(double depth, int images) {
    const double share = images > 1 ? std::clamp((depth - 1.0) / (images - 1), 0.0, 1.0) : 0.5;
    const double at = share * kSteps;
    const int lower = std::min(static_cast<int>(at), kSteps - 1);
    const double weight = at - lower;
    cv::Vec3b colour;
    for (int channel = 0; channel < 3; ++channel) {
        const double value =
            (1 - weight) * kViridis[lower][channel] + weight * kViridis[lower + 1][channel];
        colour[2 - channel] = static_cast<unsigned char>(std::lround(value));
    }
    return colour;
}

cv::Mat depth_heat_map(const DepthRows& depth, const DepthRows& confidence, int images,
                       cv::Size size) {
    const int period = std::max(6, std::max(size.width, size.height) / kHatchStripes);
    cv::Mat picture(size, CV_8UC3);
    for (int y = 0; y < size.height; ++y) {
        const int map_y =
            static_cast<int>(static_cast<long long>(y) * depth.height() / size.height);
        cv::Vec3b* out = picture.ptr<cv::Vec3b>(y);
        for (int x = 0; x < size.width; ++x) {
            const int map_x =
                static_cast<int>(static_cast<long long>(x) * depth.width() / size.width);
            float value = 0;
            float sure = 0;
            depth.span(map_y, map_x, map_x + 1, &value);
            confidence.span(map_y, map_x, map_x + 1, &sure);
            const bool stripe = sure < kConfident && (x + y) % period < period / 3;
            out[x] = stripe ? cv::Vec3b(40, 40, 40) : depth_colour(value, images);
        }
    }
    return picture;
}

cv::Mat confidence_picture(const DepthRows& confidence, cv::Size size) {
    cv::Mat picture(size, CV_8UC1);
    for (int y = 0; y < size.height; ++y) {
        const int map_y =
            static_cast<int>(static_cast<long long>(y) * confidence.height() / size.height);
        for (int x = 0; x < size.width; ++x) {
            const int map_x =
                static_cast<int>(static_cast<long long>(x) * confidence.width() / size.width);
            float value = 0;
            confidence.span(map_y, map_x, map_x + 1, &value);
            picture.at<unsigned char>(y, x) =
                static_cast<unsigned char>(std::lround(255 * std::clamp(value, 0.0f, 1.0f)));
        }
    }
    return picture;
}

std::string depth_scale_gradient() {
    std::string gradient = "linear-gradient(to right";
    for (int step = 0; step <= kSteps; ++step) {
        char stop[32];
        std::snprintf(stop, sizeof stop, ", #%02x%02x%02x", kViridis[step][0], kViridis[step][1],
                      kViridis[step][2]);
        gradient += stop;
    }
    return gradient + ")";
}

}  // namespace bestfocus
