#include "imagej_description.h"

#include <map>
#include <sstream>

#include "description_parts.h"

namespace bestfocus {

namespace {

DescriptionReading refusal(std::string why) {
    DescriptionReading reading;
    reading.problem = "its ImageJ description: " + std::move(why);
    return reading;
}

// ImageJ writes the micrometre as "micron" or with its sign escaped, "\u00B5m".
std::string unescaped_unit(std::string unit) {
    const std::string escaped = "\\u00B5";
    if (unit.compare(0, escaped.size(), escaped) == 0) unit = "µ" + unit.substr(escaped.size());
    return unit;
}

}  // namespace

bool looks_like_imagej(const std::string& description) {
    return description.compare(0, 7, "ImageJ=") == 0;
}

DescriptionReading read_imagej_description(const std::string& description, long long pages,
                                           std::optional<double> x_resolution,
                                           std::optional<double> y_resolution) {
    std::map<std::string, std::string> values;
    std::istringstream lines(description);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    MicroscopeSeries series;
    series.dimension_order = "XYCZT";
    const struct {
        const char* key;
        int* into;
    } counts[] = {
        {"channels", &series.size_c}, {"slices", &series.size_z}, {"frames", &series.size_t}};
    for (const auto& count : counts) {
        const auto found = values.find(count.key);
        if (found == values.end()) continue;
        const std::optional<int> value = positive_count(found->second);
        if (!value) {
            return refusal(std::string(count.key) + "=" + found->second +
                           " is not a positive count");
        }
        *count.into = *value;
    }
    const auto images_line = values.find("images");
    if (images_line != values.end()) {
        const std::optional<int> images = positive_count(images_line->second);
        if (!images) return refusal("images=" + images_line->second + " is not a positive count");
        // A plain stack names only its images: they are its slices.
        if (values.count("slices") == 0 && values.count("channels") == 0 &&
            values.count("frames") == 0) {
            series.size_z = *images;
        }
        const long long described =
            static_cast<long long>(series.size_c) * series.size_z * series.size_t;
        if (described != *images) {
            return refusal("images=" + std::to_string(*images) + " is not channels x slices x " +
                           "frames = " + std::to_string(series.size_c) + " x " +
                           std::to_string(series.size_z) + " x " + std::to_string(series.size_t));
        }
    }
    const std::string unit = values.count("unit") ? unescaped_unit(values["unit"]) : "pixel";
    if (values.count("spacing")) {
        if (const std::optional<double> spacing = positive_length(values["spacing"])) {
            series.step_z_um = micrometres(*spacing, unit);
        }
    }
    if (x_resolution) series.size_x_um = micrometres(1.0 / *x_resolution, unit);
    if (y_resolution) series.size_y_um = micrometres(1.0 / *y_resolution, unit);
    series.channel_names.resize(static_cast<std::size_t>(series.size_c));
    MicroscopeMetadata metadata;
    metadata.kind = "ImageJ";
    metadata.series.push_back(series);
    if (std::string problem = plane_count_problem(metadata, pages); !problem.empty()) {
        DescriptionReading reading;
        reading.problem = std::move(problem);
        return reading;
    }
    MicroscopeSeries& placed = metadata.series.front();
    placed.plane_pages.resize(static_cast<std::size_t>(pages));
    for (long long page = 0; page < pages; ++page) {
        int z = 0, c = 0, t = 0;
        ordered_plane(placed, page, &z, &c, &t);
        placed.plane_pages[placed.plane_index(z, c, t)] = page;
    }
    DescriptionReading reading;
    reading.metadata = std::move(metadata);
    return reading;
}

}  // namespace bestfocus
