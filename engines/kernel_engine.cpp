#include "kernel_engine.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "failure_reason.h"
#include "measure_failure.h"
#include "measure_registry.h"
#include "pixel_limit.h"

namespace bestfocus {

namespace {

// The view's pixels as the kernels take them, made once for all the methods: rows back to back.
// A whole image is used where it lies; a region, or rows stored bottom row first, are copied.
template <class Pixel>
class KernelInput {
  public:
    explicit KernelInput(const ImageView& image) : image_(image) {
        if (image.row_stride == image.width) {
            return;
        }
        const std::size_t width = static_cast<std::size_t>(image.width);
        copy_.resize(width * static_cast<std::size_t>(image.height));
        for (int y = 0; y < image.height; ++y) {
            std::memcpy(copy_.data() + y * width, pixels() + y * image.row_stride,
                        width * sizeof(Pixel));
        }
    }

    const Pixel* rows() const { return copy_.empty() ? pixels() : copy_.data(); }

  private:
    const Pixel* pixels() const { return static_cast<const Pixel*>(image_.pixels); }

    ImageView image_;
    std::vector<Pixel> copy_;
};

bool valid_view(const ImageView& image) {
    return image.pixels != nullptr && image.width > 0 && image.height > 0 &&
           (image.row_stride >= image.width || -image.row_stride >= image.width);
}

double measure_rows(const MeasureEntry& entry, const KernelInput<std::uint8_t>& input,
                    const ImageView& image, int threads) {
    return entry.kernel(input.rows(), image.width, image.height, threads);
}

double measure_rows(const MeasureEntry& entry, const KernelInput<std::uint16_t>& input,
                    const ImageView& image, int threads) {
    return entry.kernel16(input.rows(), image.width, image.height, threads);
}

template <class Pixel>
Measurement measure_view(const ImageView& image, const std::vector<int>& methods, int threads) {
    const KernelInput<Pixel> input(image);
    Measurement measurement;
    for (const int code : methods) {
        const MeasureEntry* entry = find_measure(code);
        if (entry == nullptr) {
            return failed_measurement("");
        }
        const double value = measure_rows(*entry, input, image, threads);
        if (std::isnan(value)) {  // the kernels say which runtime call failed
            return failed_measurement(failure_reason(last_measure_failure()));
        }
        measurement.values.push_back(value);
    }
    return measurement;
}

}  // namespace

Measurement KernelEngine::measure(const ImageView& image, const std::vector<int>& methods) const {
    if (!pixel_count_fits(image.width, image.height)) {
        return too_many_pixels();
    }
    if (!valid_view(image)) {
        return failed_measurement("");
    }
    return image.depth == PixelDepth::u16 ? measure_view<std::uint16_t>(image, methods, threads_)
                                          : measure_view<std::uint8_t>(image, methods, threads_);
}

}  // namespace bestfocus
