#include "image_measure.h"

#include <climits>

namespace bestfocus {

namespace {

ImageMeasurement failed(const std::string& message, const std::string& diagnostic = "") {
    ImageMeasurement measurement;
    measurement.failure = message;
    measurement.diagnostic = diagnostic;
    return measurement;
}

// The decoded pixels (8- or 16-bit, one channel) as the engines see them.
ImageView image_view(const cv::Mat& pixels) {
    ImageView view;
    view.pixels = pixels.data;
    view.depth = pixels.depth() == CV_8U ? PixelDepth::u8 : PixelDepth::u16;
    view.width = pixels.cols;
    view.height = pixels.rows;
    view.row_stride = static_cast<std::ptrdiff_t>(pixels.step1());
    return view;
}

}  // namespace

ImageMeasurement measure_image(const ImageLocation& image, const Engine& engine,
                               const std::vector<int>& methods,
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
    if (region && !region_fits(*region, pixels.cols, pixels.rows)) {
        return failed("\nLa region de interes no cabe en la imagen: " + name,
                      "bestfocus: the region " + std::to_string(region->width) + " x " +
                          std::to_string(region->height) + " at (" + std::to_string(region->x) +
                          ", " + std::to_string(region->y) + ") does not lie inside " + name +
                          ", " + std::to_string(pixels.cols) + " x " + std::to_string(pixels.rows) +
                          "\n");
    }
    const cv::Mat measured =
        region ? pixels(cv::Rect(region->x, region->y, region->width, region->height)) : pixels;
    Measurement result = engine.measure(image_view(measured), methods);
    switch (result.failure) {
        case Measurement::Failure::none: break;
        case Measurement::Failure::too_many_pixels:
            return failed("\nImagen demasiado grande (ancho x alto supera " +
                          std::to_string(INT_MAX) + " pixeles): " + name);
        case Measurement::Failure::failed:
            return failed(
                "\nNo se puede calcular la medida de enfoque del archivo: " + name,
                result.reason.empty() ? "" : "bestfocus: " + name + ": " + result.reason + "\n");
    }
    ImageMeasurement measurement;
    measurement.measured = true;
    measurement.focus = std::move(result.values);
    measurement.width = pixels.cols;
    measurement.height = pixels.rows;
    return measurement;
}

}  // namespace bestfocus
