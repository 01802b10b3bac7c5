#include "cpu_engine.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "banded_measure.h"
#include "measure_registry.h"
#include "pixel_limit.h"

namespace bestfocus {

namespace {

// An image measured alone has the machine to itself: up to the reduction team's threads, no more
// than there are processors to run them. Otherwise each image runs on the scan thread that
// decoded it.
int threads_per_image(bool one_image_run, int threads) {
    return one_image_run ? std::min(threads, omp_get_num_procs()) : 1;
}

double measure_view(const MeasureEntry& entry, const ImageView& image, int threads) {
    if (image.depth == PixelDepth::u8) {
        return entry.cpu(static_cast<const unsigned char*>(image.pixels), image.width, image.height,
                         image.row_stride, threads);
    }
    return entry.cpu16(static_cast<const std::uint16_t*>(image.pixels), image.width, image.height,
                       image.row_stride, threads);
}

}  // namespace

Measurement CpuEngine::measure(const ImageView& image, const std::vector<int>& methods) const {
    if (!pixel_count_fits(image.width, image.height)) {
        return too_many_pixels();
    }
    const int threads = threads_per_image(one_image_run_, threads_);
    Measurement measurement;
    for (const int code : methods) {
        const MeasureEntry* entry = find_measure(code);
        const double value = entry != nullptr ? measure_view(*entry, image, threads) : NAN;
        if (std::isnan(value)) {  // invalid arguments: the CPU engine has nothing more to say
            return failed_measurement("");
        }
        measurement.values.push_back(value);
    }
    return measurement;
}

std::unique_ptr<BandedMeasure> CpuEngine::measure_in_bands(int width, int height, PixelDepth depth,
                                                           const std::vector<int>& methods) const {
    const bool every_method_known = std::all_of(
        methods.begin(), methods.end(), [](int code) { return find_measure(code) != nullptr; });
    if (!pixel_count_fits(width, height) || !every_method_known) {
        return nullptr;  // measured whole, to fail as measure() fails
    }
    return std::make_unique<BandedMeasure>(methods, width, height, depth);
}

int CpuEngine::image_team() const { return threads_per_image(one_image_run_, threads_); }

}  // namespace bestfocus
