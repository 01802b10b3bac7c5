#include "microscope_metadata.h"

#include <cmath>

#include "imagej_description.h"
#include "ome_xml.h"

namespace bestfocus {

DescriptionReading read_microscope_description(const std::string& description, long long pages,
                                               const std::string& file_name,
                                               std::optional<double> x_resolution,
                                               std::optional<double> y_resolution) {
    if (looks_like_ome_xml(description)) return read_ome_xml(description, pages, file_name);
    if (looks_like_imagej(description)) {
        return read_imagej_description(description, pages, x_resolution, y_resolution);
    }
    return DescriptionReading();
}

std::optional<double> micrometres(double value, const std::string& unit) {
    static const struct {
        const char* unit;
        double micrometres;
    } kUnits[] = {{"µm", 1},      {"μm", 1},    {"um", 1},    {"micron", 1},
                  {"microns", 1}, {"nm", 1e-3}, {"pm", 1e-6}, {"Å", 1e-4},
                  {"mm", 1e3},    {"cm", 1e4},  {"m", 1e6},   {"inch", 25400}};
    for (const auto& known : kUnits) {
        if (unit == known.unit) {
            const double length = value * known.micrometres;
            if (std::isfinite(length)) return length;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace bestfocus
