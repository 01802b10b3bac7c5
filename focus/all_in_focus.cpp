#include "all_in_focus.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "image_measure.h"
#include "image_source.h"
#include "simd_dispatch.h"

namespace bestfocus {
namespace {

const void* row_of(const ImageView& view, int y, std::size_t pixel_bytes) {
    return static_cast<const unsigned char*>(view.pixels) +
           y * view.row_stride * static_cast<std::ptrdiff_t>(pixel_bytes);
}

// The depth clamped to the stack, and the lower of the two images blended there (1-based). Plain
// selections, not std::clamp's references, so that loops of them take vectors.
CPU_ENGINE_INLINE double clamped_depth(float depth, int images) {
    const double at_least_one = depth < 1.0f ? 1.0 : static_cast<double>(depth);
    return at_least_one > images ? static_cast<double>(images) : at_least_one;
}
CPU_ENGINE_INLINE int lower_image(double depth, int images) {
    const int whole = static_cast<int>(depth);
    return whole < images - 1 ? whole : images - 1;
}

// w·lower + (1 − w)·upper at w = 1 − upper_weight, rounded to nearest, halves up, where
// upper_weight is the depth (a float from 1 up, clamped to whole numbers) less its lower image:
// a multiple of 2^-23 from 0 to 1, so every step here is exact in double for pixels below 2^16 and
// a + t·(b − a) is the weighted sum itself, not a rounding of it.
template <typename Pixel>
CPU_ENGINE_INLINE Pixel blend_pixel(Pixel lower, Pixel upper, double upper_weight) {
    const double value = lower + upper_weight * (static_cast<int>(upper) - static_cast<int>(lower));
    // Never negative: truncation rounds down, without a call to floor.
    return static_cast<Pixel>(static_cast<int>(value + 0.5));
}

// The pixels of a block blended with image `image` as its pixels come: those whose lower image it
// is take its pixel, those whose upper image it is are blended. Each pixel on its own, no sum
// carried along: on vectors the same exact steps. Compiled for AVX2 (without FMA, so no step is
// fused) and for the baseline, as the measures' row sums are (simd_dispatch.h).
template <typename Pixel>
CPU_ENGINE_INLINE void blend_pixels(Pixel* out, const Pixel* now, const float* depths, int count,
                                    int images, int image) {
    const int blended = image - 1;
    if constexpr (sizeof(Pixel) == 1) {
        // The same sums in 32-bit integers, 8 lanes a vector where doubles take 4: the upper
        // weight t = d − lower (exact in float, d from 1 up) is a multiple of 2^-23 up to 1, so
        // T = t·2^23 is whole, and ((2^23 − T)·a + T·b + 2^22) >> 23, below 2^31 for bytes, is the
        // same rounding of the same exact sum.
        constexpr int kOne = 1 << 23;
        const float last = static_cast<float>(images);
#pragma omp simd
        for (int x = 0; x < count; ++x) {
            const float at_least_one = depths[x] < 1.0f ? 1.0f : depths[x];
            const float depth = at_least_one > last ? last : at_least_one;
            const int whole = static_cast<int>(depth);
            const int lower = whole < images - 1 ? whole : images - 1;
            const int weight = static_cast<int>((depth - static_cast<float>(lower)) * kOne);
            const int below = out[x];
            const int above = now[x];
            const int mixed = (below * kOne + weight * (above - below) + kOne / 2) >> 23;
            out[x] = static_cast<Pixel>(lower == image ? above : lower == blended ? mixed : below);
        }
        return;
    }
#pragma omp simd
    for (int x = 0; x < count; ++x) {
        const double depth = clamped_depth(depths[x], images);
        const int lower = lower_image(depth, images);
        const Pixel mixed = blend_pixel(out[x], now[x], depth - lower);
        out[x] = lower == image ? now[x] : lower == blended ? mixed : out[x];
    }
}
template <typename Pixel>
BESTFOCUS_AVX2_TARGET void blend_avx2(Pixel* out, const Pixel* now, const float* depths, int count,
                                      int images, int image) {
    blend_pixels(out, now, depths, count, images, image);
}
template <typename Pixel>
void blend_baseline(Pixel* out, const Pixel* now, const float* depths, int count, int images,
                    int image) {
    blend_pixels(out, now, depths, count, images, image);
}

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
    row_lowest_.resize(static_cast<std::size_t>(depth.height()));
    row_highest_.resize(static_cast<std::size_t>(depth.height()));
    for (int y = 0; y < depth.height(); ++y) {
        for (int block = 0; block < blocks_; ++block) {
            // The lower image grows with the depth: bounds around a block's depths bound it.
            float least = 0;
            float greatest = 0;
            depth.bounds(y, block * kBlock, std::min((block + 1) * kBlock, depth.width()),
                         depth_span_.data(), &least, &greatest);
            const std::size_t at = static_cast<std::size_t>(y) * blocks_ + block;
            lowest_[at] = lower_image(clamped_depth(least, images), images);
            highest_[at] = lower_image(clamped_depth(greatest, images), images);
        }
        const auto row_blocks = lowest_.begin() + static_cast<std::ptrdiff_t>(y) * blocks_;
        row_lowest_[static_cast<std::size_t>(y)] =
            *std::min_element(row_blocks, row_blocks + blocks_);
        const auto row_highs = highest_.begin() + static_cast<std::ptrdiff_t>(y) * blocks_;
        row_highest_[static_cast<std::size_t>(y)] =
            *std::max_element(row_highs, row_highs + blocks_);
    }
}

std::vector<std::pair<int, int>> AllInFocus::needed_rows(int image, int from, int to) const {
    std::vector<std::pair<int, int>> runs;
    for (int y = from; y < to; ++y) {
        // A row takes the images from its lowest lower image to one past its highest.
        const std::size_t at = static_cast<std::size_t>(y);
        const bool needed =
            images_ < 2 || (row_lowest_[at] <= image && image <= row_highest_[at] + 1);
        if (!needed) {
            continue;
        }
        if (!runs.empty() && runs.back().second == y) {
            runs.back().second = y + 1;
        } else {
            runs.emplace_back(y, y + 1);
        }
    }
    return runs;
}

void AllInFocus::add_rows(int image, const ImageView& rows, int first_row) {
    if (rows.depth == PixelDepth::u8) {
        blend<std::uint8_t>(image, rows, first_row);
    } else {
        blend<std::uint16_t>(image, rows, first_row);
    }
}

template <typename Pixel>
void AllInFocus::blend(int image, const ImageView& rows, int first_row) {
    const int width = depth_.width();
    if (images_ == 1) {
        for (int row = 0; row < rows.height; ++row) {
            const Pixel* from = static_cast<const Pixel*>(row_of(rows, row, sizeof(Pixel)));
            std::copy(from, from + width, focused_.ptr<Pixel>(first_row + row));
        }
        return;
    }
    // Pixels between the image before and this one are blended now; those between this one and
    // the next take this one's pixel, to be blended when the next comes.
    const int blended = image - 1;
    const auto blend_block = avx2_rows_chosen() ? blend_avx2<Pixel> : blend_baseline<Pixel>;
    for (int row = 0; row < rows.height; ++row) {
        const int y = first_row + row;
        const Pixel* now = static_cast<const Pixel*>(row_of(rows, row, sizeof(Pixel)));
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
            blend_block(out + begin, now + begin, depth_span_.data(), end - begin, images_, image);
        }
    }
}

namespace {

// Stored rows read a band at a time: few enough to stay in cache while they are blended.
constexpr int kBandRows = 64;
// The part of the image made that stays in cache while every image is blended into it.
constexpr std::size_t kGroupBytes = std::size_t{1} << 19;

// The rows of the area, within each run, from an image whose rows lie stored in its file, a band at
// a time. False when they cannot be read.
bool add_stored_rows(const OpenedImage& opened, const RegionOfInterest& area, int image,
                     const std::vector<std::pair<int, int>>& runs, ReadBuffer& buffer,
                     AllInFocus& focused) {
    const StoredRows& stored = *opened.stored();
    for (const auto& [begin, end] : runs) {
        for (int row = begin; row < end; row += kBandRows) {
            const int count = std::min(kBandRows, end - row);
            const int top = area.y + row;  // in the image
            const int first = stored.bottom_up ? stored.height - top - count : top;
            unsigned char* rows = buffer.at_least(stored.pitch * static_cast<std::size_t>(count));
            if (!read_stored_rows(opened.file().fd(), stored, first, count, rows)) {
                return false;
            }
            const RowBand band = stored_band(stored, rows, first, count);
            focused.add_rows(image, region_of(band.view, {area.x, 0, area.width, count}), row);
        }
    }
    return true;
}

}  // namespace

cv::Mat read_all_in_focus(const FolderScores& folder, const DepthRows& depth,
                          std::string* problem) {
    const int images = static_cast<int>(folder.images.size());
    ReadBuffer buffer;
    std::optional<AllInFocus> focused;
    PixelDepth pixels = PixelDepth::u8;
    const RegionOfInterest& area = folder.area;
    // The image is made a group of rows at a time, every image read for each group, so that the
    // group it blends into stays in cache (half a mebibyte of it); images decoded whole (their rows
    // not stored in the file) are read once, for one group of every row.
    int group_rows = area.height;
    for (int from = 0; from < area.height; from += group_rows) {
        for (int image = 1; image <= images; ++image) {
            // An image no pixel takes is not read at all (the first is opened for its depth).
            const int to = std::min(from + group_rows, area.height);
            if (focused && focused->needed_rows(image, from, to).empty()) {
                continue;
            }
            const ImageLocation& location = folder.images[static_cast<std::size_t>(image) - 1];
            const OpenedImage opened(location);
            const bool stored = opened.stored().has_value();
            ReadImage read;
            if (stored) {
                read.read = true;
                read.depth = opened.stored()->depth == PixelDepth::u8 ? CV_8U : CV_16U;
                read.view = {nullptr, opened.stored()->depth, opened.stored()->width,
                             opened.stored()->height, 0};
            } else {
                read = opened.read_whole(buffer);
            }
            // A file replaced since the scan is not blended into the image.
            if (!read.read || (read.depth != CV_8U && read.depth != CV_16U) ||
                read.view.width != folder.image_width || read.view.height != folder.image_height) {
                *problem = described(location) + " cannot be read again as it was measured";
                return {};
            }
            if (!focused) {
                pixels = read.view.depth;
                focused.emplace(depth, images, pixels);
                if (stored) {
                    const std::size_t row_bytes =
                        static_cast<std::size_t>(area.width) * (pixels == PixelDepth::u8 ? 1 : 2);
                    group_rows = static_cast<int>(std::max<std::size_t>(
                        kBandRows, kGroupBytes / std::max<std::size_t>(row_bytes, 1)));
                }
            } else if (read.view.depth != pixels) {
                *problem = described(location) + " is not at the depth of the stack's first image";
                return {};
            }
            const int group_end = std::min(from + group_rows, area.height);
            const std::vector<std::pair<int, int>> runs =
                focused->needed_rows(image, from, group_end);
            if (stored) {
                if (!add_stored_rows(opened, area, image, runs, buffer, *focused)) {
                    *problem = described(location) + " cannot be read again as it was measured";
                    return {};
                }
                continue;
            }
            for (const auto& [begin, end] : runs) {
                focused->add_rows(
                    image, region_of(read.view, {area.x, area.y + begin, area.width, end - begin}),
                    begin);
            }
        }
    }
    return focused ? focused->result() : cv::Mat();
}

}  // namespace bestfocus
