#include "all_in_focus.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

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

AllInFocus::AllInFocus(const DepthRows& depth, int images, PixelDepth pixels)
    : depth_(depth),
      images_(images),
      blocks_((depth.width() + kBlock - 1) / kBlock),
      depth_span_(static_cast<std::size_t>(kBlock)),
      focused_(depth.height(), depth.width(), pixels == PixelDepth::u8 ? CV_8UC1 : CV_16UC1) {
    if (images < 2) {
        return;
    }
    const std::size_t blocks = static_cast<std::size_t>(blocks_) * depth.height();
    lowest_.resize(blocks);
    highest_.resize(blocks);
    std::vector<float> row(static_cast<std::size_t>(depth.width()));
    for (int y = 0; y < depth.height(); ++y) {
        depth.span(y, 0, depth.width(), row.data());
        for (int block = 0; block < blocks_; ++block) {
            // The lower image grows with the depth: a block's least and greatest depths bound it.
            const auto first = row.begin() + block * kBlock;
            const auto last = row.begin() + std::min((block + 1) * kBlock, depth.width());
            float least = *first;
            float greatest = *first;
            for (auto at = first; at != last; ++at) {
                least = std::min(least, *at);
                greatest = std::max(greatest, *at);
            }
            const std::size_t at = static_cast<std::size_t>(y) * blocks_ + block;
            lowest_[at] = lower_image(clamped_depth(least, images), images);
            highest_[at] = lower_image(clamped_depth(greatest, images), images);
        }
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
    const int width = depth_.width();
    if (images_ == 1) {
        for (int y = 0; y < depth_.height(); ++y) {
            const Pixel* from = static_cast<const Pixel*>(row_of(view, y, sizeof(Pixel)));
            std::copy(from, from + width, focused_.ptr<Pixel>(y));
        }
        return;
    }
    // Pixels between the image before and this one are blended now; those between this one and
    // the next take this one's pixel, to be blended when the next comes.
    const int blended = image - 1;
    for (int y = 0; y < depth_.height(); ++y) {
        const Pixel* now = static_cast<const Pixel*>(row_of(view, y, sizeof(Pixel)));
        Pixel* out = focused_.ptr<Pixel>(y);
        for (int block = 0; block < blocks_; ++block) {
            const std::size_t at = static_cast<std::size_t>(y) * blocks_ + block;
            if (highest_[at] < blended || lowest_[at] > image) {
                continue;
            }
            const int begin = block * kBlock;
            const int end = std::min(begin + kBlock, width);
            const bool one_pair = lowest_[at] == highest_[at];
            if (one_pair && lowest_[at] == image) {
                std::copy(now + begin, now + end, out + begin);  // no depth needed yet
                continue;
            }
            depth_.span(y, begin, end, depth_span_.data());
            if (one_pair) {
                for (int x = begin; x < end; ++x) {
                    const double upper_weight =
                        clamped_depth(depth_span_[static_cast<std::size_t>(x - begin)], images_) -
                        blended;
                    const double value = (1 - upper_weight) * out[x] + upper_weight * now[x];
                    out[x] = static_cast<Pixel>(static_cast<int>(value + 0.5));
                }
                continue;
            }
            for (int x = begin; x < end; ++x) {
                const double depth =
                    clamped_depth(depth_span_[static_cast<std::size_t>(x - begin)], images_);
                const int lower = lower_image(depth, images_);
                if (lower == image) {
                    out[x] = now[x];
                } else if (lower == blended) {
                    const double upper_weight = depth - lower;
                    const double value = (1 - upper_weight) * out[x] + upper_weight * now[x];
                    // Never negative: truncation rounds down, without a call to floor.
                    out[x] = static_cast<Pixel>(static_cast<int>(value + 0.5));
                }
            }
        }
    }
}

cv::Mat read_all_in_focus(const FolderScores& folder, const DepthRows& depth,
                          std::string* problem) {
    const int images = static_cast<int>(folder.images.size());
    ReadBuffer buffer;
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
