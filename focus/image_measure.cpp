#include "image_measure.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "measure_failure_line.h"

namespace {

ImageMeasurement failed(const std::string& message, const std::string& diagnostic = "") {
    ImageMeasurement measurement;
    measurement.failure = message;
    measurement.diagnostic = diagnostic;
    return measurement;
}

// The pixels the measures see (the region of the image, or all of it) and the copies some
// measures need, each made once for all the methods: contiguous bytes for the kernels' 8-bit entry
// point, normalised doubles for their double-input one.
class MeasuredPixels {
  public:
    explicit MeasuredPixels(cv::Mat view) : view_(std::move(view)) {}

    double focus(const MethodMeasure& method) {
        const int width = view_.cols;
        const int height = view_.rows;
        const std::ptrdiff_t row_stride = static_cast<std::ptrdiff_t>(view_.step1());
        if (view_.depth() == CV_8U) {
            if (method.cpu != nullptr) {
                return method.cpu(view_.ptr<unsigned char>(), width, height, row_stride,
                                  method.threads);
            }
            return method.kernels(contiguous().ptr<unsigned char>(), width, height, method.threads);
        }
        // 16-bit: a method without a function for them cannot measure the image.
        if (method.cpu != nullptr) {
            return method.cpu16 != nullptr ? method.cpu16(view_.ptr<std::uint16_t>(), width, height,
                                                          row_stride, method.threads)
                                           : std::numeric_limits<double>::quiet_NaN();
        }
        if (method.doubles == nullptr) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return method.doubles(reinterpret_cast<const unsigned char*>(normalised().data()), width,
                              height, method.threads);
    }

  private:
    // The kernels take rows back to back: a region is copied, a whole image is used as it is.
    const cv::Mat& contiguous() {
        if (!view_.isContinuous() && contiguous_.empty()) {
            contiguous_ = view_.clone();
        }
        return view_.isContinuous() ? view_ : contiguous_;
    }

    // value / 65535.0, divided as the kernels divide bytes by 255.0: an image that holds an 8-bit
    // image times 257 gives the same doubles as the 8-bit one.
    const std::vector<double>& normalised() {
        if (normalised_.empty()) {
            normalised_.reserve(view_.total());
            for (int y = 0; y < view_.rows; ++y) {
                const std::uint16_t* row = view_.ptr<std::uint16_t>(y);
                for (int x = 0; x < view_.cols; ++x) normalised_.push_back(row[x] / 65535.0);
            }
        }
        return normalised_;
    }

    cv::Mat view_;
    cv::Mat contiguous_;
    std::vector<double> normalised_;
};

}  // namespace

MethodMeasure cpu_engine_measure(const MeasureEntry& entry, int threads) {
    MethodMeasure measure;
    measure.method = entry.code;
    measure.cpu = entry.cpu;
    measure.cpu16 = entry.cpu16;
    measure.threads = threads;
    return measure;
}

MethodMeasure kernel_measure(const MeasureEntry& entry, int threads) {
    MethodMeasure measure;
    measure.method = entry.code;
    measure.kernels = entry.uchar;
    measure.doubles = entry.doubles;
    measure.threads = threads;
    return measure;
}

bool pixel_count_fits_measures(int width, int height) {
    return static_cast<long long>(width) * height <= INT_MAX;
}

ImageMeasurement measure_image(const ImageLocation& image,
                               const std::vector<MethodMeasure>& methods,
                               const std::optional<RegionOfInterest>& region) {
    const std::string name = described(image);
    const cv::Mat pixels = decode_at_depth(image);
    if (pixels.empty()) {
        return failed("\nNo se puede abrir el archivo: " + name);
    }
    if (pixels.depth() != CV_8U && pixels.depth() != CV_16U) {
        return failed("\nNo se puede abrir el archivo: " + name,
                      "bestfocus: " + name + " has " + depth_name(pixels.depth()) +
                          " pixels; only 8- and 16-bit unsigned integer images are measured\n");
    }
    if (!pixel_count_fits_measures(pixels.cols, pixels.rows)) {
        return failed("\nImagen demasiado grande (ancho x alto supera " + std::to_string(INT_MAX) +
                      " pixeles): " + name);
    }
    if (region && !region_fits(*region, pixels.cols, pixels.rows)) {
        return failed("", "bestfocus: the region " + std::to_string(region->width) + " x " +
                              std::to_string(region->height) + " at (" + std::to_string(region->x) +
                              ", " + std::to_string(region->y) + ") does not lie inside " + name +
                              ", " + std::to_string(pixels.cols) + " x " +
                              std::to_string(pixels.rows) + "\n");
    }
    MeasuredPixels measured(
        region ? pixels(cv::Rect(region->x, region->y, region->width, region->height)) : pixels);
    ImageMeasurement measurement;
    for (const MethodMeasure& method : methods) {
        const double focus = measured.focus(method);
        if (std::isnan(focus)) {
            measurement =
                failed("\nNo se puede calcular la medida de enfoque del archivo: " + name);
            if (method.cpu == nullptr) {  // the kernels say which runtime call failed
                measurement.diagnostic = measure_failure_line(name, last_measure_failure());
            }
            return measurement;
        }
        measurement.focus.push_back(focus);
    }
    measurement.measured = true;
    measurement.width = pixels.cols;
    measurement.height = pixels.rows;
    return measurement;
}
