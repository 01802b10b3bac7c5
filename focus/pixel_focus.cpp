#include "pixel_focus.h"

#include <algorithm>
#include <cstddef>

#include "depth_fill.h"

namespace bestfocus {

PixelFocus::PixelFocus(int width, int height, int images, int pick)
    : width_(width), height_(height), images_(images), pick_(pick) {
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    for (std::vector<float>* values : {&best_, &before_, &after_, &others_, &last_, &least_}) {
        values->assign(pixels, 0.0f);
    }
    best_image_.assign(pixels, 1);
    best_pixel_.assign(pixels, 0);
    pick_pixel_.assign(pixels, 0);
}

void PixelFocus::add(int image, const float* responses, const ImageView& pixels) {
    last_image_ = image;
    pixel_depth_ = pixels.depth;
    for (int y = 0; y < height_; ++y) {
        const auto* row8 = static_cast<const std::uint8_t*>(pixels.pixels) + y * pixels.row_stride;
        const auto* row16 =
            static_cast<const std::uint16_t*>(pixels.pixels) + y * pixels.row_stride;
        for (int x = 0; x < width_; ++x) {
            const std::size_t p = static_cast<std::size_t>(y) * width_ + x;
            const float r = responses[p];
            const std::uint16_t value = pixels.depth == PixelDepth::u8 ? row8[x] : row16[x];
            if (image == pick_) pick_pixel_[p] = value;
            least_[p] = image == 1 ? r : std::min(least_[p], r);
            if (image == 1) {
                best_[p] = r;
                best_pixel_[p] = value;
            } else if (r > best_[p]) {
                // The old peak and its neighbours join the others, but for the new peak's own.
                const int old = best_image_[p];
                float others = others_[p];
                if (old >= 2) others = std::max(others, before_[p]);
                if (old < image - 1) {
                    others = std::max(others, best_[p]);
                    if (old + 1 < image - 1) others = std::max(others, after_[p]);
                }
                others_[p] = others;
                before_[p] = last_[p];
                after_[p] = 0.0f;
                best_[p] = r;
                best_image_[p] = static_cast<std::uint16_t>(image);
                best_pixel_[p] = value;
            } else if (image == best_image_[p] + 1) {
                after_[p] = r;
            } else {
                others_[p] = std::max(others_[p], r);
            }
            last_[p] = r;
        }
    }
}

std::vector<float> PixelFocus::depth() const {
    std::vector<float> depth(best_.size());
    for (std::size_t p = 0; p < depth.size(); ++p) {
        const int i = best_image_[p];
        double shift = 0;
        if (i > 1 && i < images_) {
            const double l = before_[p];
            const double b = best_[p];
            const double u = after_[p];
            const double curvature = l - 2 * b + u;
            if (curvature < 0) {
                shift = std::clamp((l - u) / (2 * curvature), -0.5, 0.5);
            }
        }
        depth[p] = static_cast<float>(i + shift);
    }
    return depth;
}

std::vector<float> PixelFocus::confidence() const {
    std::vector<float> confidence(best_.size());
    for (std::size_t p = 0; p < confidence.size(); ++p) {
        const double b = best_[p];
        const double peak = (b - others_[p]) / b;
        const double contrast = (b - least_[p]) / b;
        confidence[p] = b > 0 ? static_cast<float>(std::clamp(peak * contrast, 0.0, 1.0)) : 0.0f;
    }
    return confidence;
}

cv::Mat PixelFocus::focused() const {
    const std::vector<float> sure = confidence();
    cv::Mat image(height_, width_, pixel_depth_ == PixelDepth::u8 ? CV_8UC1 : CV_16UC1);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const std::size_t p = static_cast<std::size_t>(y) * width_ + x;
            const std::uint16_t value = sure[p] > kUnsure ? best_pixel_[p] : pick_pixel_[p];
            if (pixel_depth_ == PixelDepth::u8) {
                image.at<std::uint8_t>(y, x) = static_cast<std::uint8_t>(value);
            } else {
                image.at<std::uint16_t>(y, x) = value;
            }
        }
    }
    return image;
}

}  // namespace bestfocus
