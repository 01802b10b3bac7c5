#include "all_in_focus.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "image_measure.h"
#include "image_source.h"

namespace bestfocus {
namespace {

const void* row_of(const ImageView& view, int y, std::size_t pixel_bytes) {
    return static_cast<const unsigned char*>(view.pixels) +
           y * view.row_stride * static_cast<std::ptrdiff_t>(pixel_bytes);
}

// The depth clamped to the stack, and the lower of the two images blended there (1-based).
double clamped_depth(float depth, int images) {
    return std::clamp(static_cast<double>(depth), 1.0, static_cast<double>(images));
}
int lower_image(double depth, int images) { return std::min(static_cast<int>(depth), images - 1); }

}  // namespace

AllInFocus::AllInFocus(const DepthMap& depth, int images, PixelDepth pixels)
    : depth_(depth),
      images_(images),
      focused_(depth.height, depth.width, pixels == PixelDepth::u8 ? CV_8UC1 : CV_16UC1) {
    if (images < 2) {
        return;
    }
    // A counting sort of the pixels by their lower image.
    first_pixel_.assign(static_cast<std::size_t>(images), 0);
    for (const float d : depth.values) {
        ++first_pixel_[static_cast<std::size_t>(lower_image(clamped_depth(d, images), images))];
    }
    for (std::size_t i = 1; i < first_pixel_.size(); ++i) {
        first_pixel_[i] += first_pixel_[i - 1];
    }
    std::vector<std::size_t> next(first_pixel_.begin(), first_pixel_.end() - 1);
    pixel_order_.resize(depth.values.size());
    for (std::size_t pixel = 0; pixel < depth.values.size(); ++pixel) {
        const int lower = lower_image(clamped_depth(depth.values[pixel], images), images);
        pixel_order_[next[static_cast<std::size_t>(lower) - 1]++] =
            static_cast<std::uint32_t>(pixel);
    }
}

void AllInFocus::add(int image, const ImageView& view) {
    if (view.depth == PixelDepth::u8) {
        blend<std::uint8_t>(image, view);
    } else {
        blend<std::uint16_t>(image, view);
    }
}

template <typename Pixel>
void AllInFocus::blend(int image, const ImageView& view) {
    const int width = depth_.width;
    cv::Mat current(depth_.height, width, focused_.type());
    for (int y = 0; y < depth_.height; ++y) {
        const Pixel* from = static_cast<const Pixel*>(row_of(view, y, sizeof(Pixel)));
        std::copy(from, from + width, current.ptr<Pixel>(y));
    }
    if (images_ == 1) {
        focused_ = current;
        return;
    }
    if (image >= 2) {
        const int lower = image - 1;  // the pixels blended from this image and the one before
        const Pixel* before = previous_.ptr<Pixel>(0);
        const Pixel* now = current.ptr<Pixel>(0);
        Pixel* out = focused_.ptr<Pixel>(0);
        for (std::size_t k = first_pixel_[static_cast<std::size_t>(lower) - 1];
             k < first_pixel_[static_cast<std::size_t>(lower)]; ++k) {
            const std::uint32_t pixel = pixel_order_[k];
            const double upper_weight = clamped_depth(depth_.values[pixel], images_) - lower;
            const double value = (1 - upper_weight) * before[pixel] + upper_weight * now[pixel];
            out[pixel] = static_cast<Pixel>(std::floor(value + 0.5));
        }
    }
    if (image < images_) {
        previous_ = current;
    }
}

cv::Mat read_all_in_focus(const FolderScores& folder, const DepthMap& depth, std::string* problem) {
    const int images = static_cast<int>(folder.images.size());
    thread_local ReadBuffer buffer;
    std::optional<AllInFocus> focused;
    PixelDepth pixels = PixelDepth::u8;
    for (int image = 1; image <= images; ++image) {
        const ImageLocation& location = folder.images[static_cast<std::size_t>(image) - 1];
        const ReadImage read = read_image(location, buffer);
        const RegionOfInterest& area = folder.area;
        // A file replaced since the scan is not blended into the image.
        if (!read.read || (read.depth != CV_8U && read.depth != CV_16U) ||
            read.view.width != folder.image_width || read.view.height != folder.image_height) {
            *problem = described(location) + " cannot be read again as it was measured";
            return {};
        }
        if (!focused) {
            pixels = read.view.depth;
            focused.emplace(depth, images, pixels);
        } else if (read.view.depth != pixels) {
            *problem = described(location) + " is not at the depth of the stack's first image";
            return {};
        }
        focused->add(image, region_of(read.view, area));
    }
    return focused ? focused->result() : cv::Mat();
}

}  // namespace bestfocus
