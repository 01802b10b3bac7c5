#include "kernel_engine.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "failure_reason.h"
#include "measure_failure.h"
#include "measure_registry.h"
#include "pixel_limit.h"
#include "team_sizes.h"

namespace bestfocus {

namespace {

// Every measure is an integer combination of products of pixel values, and the kernels take a
// pixel as its value over the largest one, M: a true score is N / M^2 for an integer N. The
// kernels' double sums leave a residue of rounding, which depends on the grid and the order of
// the host's partial sums; it is far below one step 1 / M^2 (at most some 1e-13 of the score on
// images of millions of pixels), so the nearest step is N / M^2: equal true scores compare equal,
// a true zero is 0, and the value is the one the CPU engine gives (N / M^2, rounded once), while
// N stays below 2^53 (8-bit images of up to 2^31 pixels; 16-bit ones of moderate contrast).
double nearest_step(double value, double steps_per_unit) {
    return std::nearbyint(value * steps_per_unit) / steps_per_unit;
}

// The view as the kernels take it, made once for all the methods: rows back to back, 8-bit as
// bytes (a region or rows stored bottom row first are copied, a whole image used as it
// is), 16-bit as doubles value / 65535.0,
// divided as the kernels divide bytes by 255.0, so that an image holding an 8-bit image times 257
// gives the same doubles as the 8-bit one.
class KernelInput {
  public:
    explicit KernelInput(const ImageView& image) : image_(image) {
        if (image.depth == PixelDepth::u16) {
            doubles_.reserve(static_cast<std::size_t>(image.width) * image.height);
            for (int y = 0; y < image.height; ++y) {
                const std::uint16_t* row = words() + y * image.row_stride;
                for (int x = 0; x < image.width; ++x) doubles_.push_back(row[x] / 65535.0);
            }
        } else if (image.row_stride != image.width) {
            bytes_.resize(static_cast<std::size_t>(image.width) * image.height);
            for (int y = 0; y < image.height; ++y) {
                std::memcpy(bytes_.data() + static_cast<std::size_t>(y) * image.width,
                            static_cast<const unsigned char*>(image.pixels) + y * image.row_stride,
                            static_cast<std::size_t>(image.width));
            }
        }
    }

    // The kernels' value of the measure on the view, as a score: on the nearest step.
    double measure(const MeasureEntry& entry) const {
        if (image_.depth == PixelDepth::u16) {
            return nearest_step(
                entry.doubles(reinterpret_cast<const unsigned char*>(doubles_.data()), image_.width,
                              image_.height, N_threads),
                65535.0 * 65535.0);
        }
        const unsigned char* bytes =
            bytes_.empty() ? static_cast<const unsigned char*>(image_.pixels) : bytes_.data();
        return nearest_step(entry.uchar(bytes, image_.width, image_.height, N_threads),
                            255.0 * 255.0);
    }

  private:
    const std::uint16_t* words() const { return static_cast<const std::uint16_t*>(image_.pixels); }

    ImageView image_;
    std::vector<unsigned char> bytes_;
    std::vector<double> doubles_;
};

bool valid_view(const ImageView& image) {
    return image.pixels != nullptr && image.width > 0 && image.height > 0 &&
           (image.row_stride >= image.width || -image.row_stride >= image.width);
}

}  // namespace

Measurement KernelEngine::measure(const ImageView& image, const std::vector<int>& methods) const {
    if (!pixel_count_fits(image.width, image.height)) {
        return too_many_pixels();
    }
    if (!valid_view(image)) {
        return failed_measurement("");
    }
    const KernelInput input(image);
    Measurement measurement;
    for (const int code : methods) {
        const MeasureEntry* entry = find_measure(code);
        if (entry == nullptr) {
            return failed_measurement("");
        }
        const double value = input.measure(*entry);
        if (std::isnan(value)) {  // the kernels say which runtime call failed
            return failed_measurement(failure_reason(last_measure_failure()));
        }
        measurement.values.push_back(value);
    }
    return measurement;
}

}  // namespace bestfocus
