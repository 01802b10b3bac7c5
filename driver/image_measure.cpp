#include "image_measure.h"

#include <climits>
#include <cmath>
#include <exception>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "bmp_header_check.h"
#include "measure_failure_line.h"

namespace {

ImageMeasurement failed(const std::string& message) {
    ImageMeasurement measurement;
    measurement.failure = message;
    return measurement;
}

}  // namespace

// Only regular files are opened: opening a FIFO waits for a writer, possibly for ever, and a device
// may never end. OpenCV reports most bad files by an empty matrix, but throws for some (an image
// beyond its size limit, memory exhausted).
cv::Mat decode_grayscale(const std::string& path) {
    std::error_code ignored;  // a path that cannot be examined is not a regular file
    if (!std::filesystem::is_regular_file(path, ignored)) {
        return cv::Mat();
    }
    try {
        if (bmp_file_is_corrupt(path)) {
            return cv::Mat();
        }
        return cv::imread(path, cv::IMREAD_GRAYSCALE);
    } catch (const std::exception&) {
        return cv::Mat();
    }
}

bool pixel_count_fits_measures(int width, int height) {
    return static_cast<long long>(width) * height <= INT_MAX;
}

ImageMeasurement measure_image(const std::string& path, const std::vector<MethodMeasure>& methods) {
    const cv::Mat image = decode_grayscale(path);
    if (image.empty()) {
        return failed("\nNo se puede abrir el archivo: " + path);
    }
    if (!pixel_count_fits_measures(image.cols, image.rows)) {
        return failed("\nImagen demasiado grande (ancho x alto supera " + std::to_string(INT_MAX) +
                      " pixeles): " + path);
    }
    ImageMeasurement measurement;
    // imread returns a freshly allocated matrix: rows are back to back, stride = width.
    const unsigned char* pixels = image.ptr<unsigned char>();
    for (const MethodMeasure& method : methods) {
        const double focus =
            method.cpu != nullptr
                ? method.cpu(pixels, image.cols, image.rows, image.cols, method.threads)
                : method.kernels(pixels, image.cols, image.rows, method.threads);
        if (std::isnan(focus)) {
            measurement =
                failed("\nNo se puede calcular la medida de enfoque del archivo: " + path);
            if (method.cpu == nullptr) {  // the kernels say which runtime call failed
                measurement.diagnostic = measure_failure_line(path, last_measure_failure());
            }
            return measurement;
        }
        measurement.focus.push_back(focus);
    }
    measurement.measured = true;
    measurement.width = image.cols;
    measurement.height = image.rows;
    return measurement;
}
