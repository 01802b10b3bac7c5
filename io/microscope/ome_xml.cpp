#include "ome_xml.h"

#include <cmath>
#include <cstring>
#include <pugixml.hpp>

#include "description_parts.h"

namespace bestfocus {

namespace {

DescriptionReading refusal(std::string why) {
    DescriptionReading reading;
    reading.problem = std::move(why);
    return reading;
}

// An element's name without its namespace prefix: "OME" for "ome:OME".
const char* local_name(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strrchr(name, ':');
    return colon == nullptr ? name : colon + 1;
}

bool named(const pugi::xml_node& node, const char* name) {
    return node.type() == pugi::node_element && std::strcmp(local_name(node), name) == 0;
}

pugi::xml_node child_named(const pugi::xml_node& parent, const char* name) {
    for (const pugi::xml_node& child : parent.children()) {
        if (named(child, name)) return child;
    }
    return pugi::xml_node();
}

// A physical length attribute and its unit attribute (micrometres when absent), in micrometres.
std::optional<double> length_attribute(const pugi::xml_node& node, const char* name,
                                       bool positive) {
    const pugi::xml_attribute value = node.attribute(name);
    if (!value) return std::nullopt;
    const std::optional<double> number =
        positive ? positive_length(value.value()) : finite_number(value.value());
    if (!number) return std::nullopt;
    const pugi::xml_attribute unit = node.attribute((std::string(name) + "Unit").c_str());
    return micrometres(*number, unit ? unit.value() : "µm");
}

bool valid_order(const std::string& order) {
    return order.size() == 5 && order.compare(0, 2, "XY") == 0 &&
           order.find('Z') != std::string::npos && order.find('C') != std::string::npos &&
           order.find('T') != std::string::npos;
}

// The sizes, order, physical sizes and channel names of an Image's Pixels.
std::string read_pixels(const pugi::xml_node& pixels, MicroscopeSeries* series) {
    const struct {
        const char* name;
        int* into;
    } sizes[] = {
        {"SizeZ", &series->size_z}, {"SizeC", &series->size_c}, {"SizeT", &series->size_t}};
    for (const auto& size : sizes) {
        const std::optional<int> count = positive_count(pixels.attribute(size.name).value());
        if (!count) {
            return std::string("its Pixels' ") + size.name + " \"" +
                   pixels.attribute(size.name).value() + "\" is not a positive count";
        }
        *size.into = *count;
    }
    series->dimension_order = pixels.attribute("DimensionOrder").as_string("XYZCT");
    if (!valid_order(series->dimension_order)) {
        return "its DimensionOrder \"" + series->dimension_order +
               "\" is not XY followed by Z, C and T in some order";
    }
    series->size_x_um = length_attribute(pixels, "PhysicalSizeX", true);
    series->size_y_um = length_attribute(pixels, "PhysicalSizeY", true);
    series->step_z_um = length_attribute(pixels, "PhysicalSizeZ", true);
    int samples = 1;
    for (const pugi::xml_node& channel : pixels.children()) {
        if (!named(channel, "Channel")) continue;
        series->channel_names.push_back(channel.attribute("Name").value());
        samples = channel.attribute("SamplesPerPixel").as_int(1);
    }
    // Colour channels stored together (RGB) are one plane: SizeC counts their samples.
    if (samples > 1 && series->size_c % samples == 0 &&
        static_cast<int>(series->channel_names.size()) == series->size_c / samples) {
        series->size_c /= samples;
    }
    series->channel_names.resize(static_cast<std::size_t>(series->size_c));
    return "";
}

// Places the series' planes on pages: by its TiffData elements, or, without any, one page each
// in the dimension order from `first_page` on.
std::string place_planes(const pugi::xml_node& pixels, long long first_page, long long pages,
                         const std::string& file_name, MicroscopeSeries* series) {
    const long long planes = static_cast<long long>(series->size_z) * series->size_c *
                             series->size_t;  // at most `pages`: checked before
    std::vector<long long> in_order(static_cast<std::size_t>(planes), -1);
    bool any = false;
    for (const pugi::xml_node& data : pixels.children()) {
        if (!named(data, "TiffData")) continue;
        any = true;
        const pugi::xml_node uuid = child_named(data, "UUID");
        const std::string other = uuid.attribute("FileName").value();
        if (!other.empty() && other != file_name) {
            return "its planes lie in another file, " + other + ", which is not read";
        }
        const std::optional<long long> ifd =
            data.attribute("IFD") ? plane_number(data.attribute("IFD").value()) : 0;
        // Without PlaneCount: one plane when an IFD is named, otherwise every plane from the
        // first on.
        std::optional<long long> count = data.attribute("PlaneCount")
                                             ? plane_number(data.attribute("PlaneCount").value())
                                         : data.attribute("IFD") ? 1
                                                                 : -1;
        long long first[3] = {0, 0, 0};
        const char* names[3] = {"FirstZ", "FirstC", "FirstT"};
        for (int axis = 0; axis < 3; ++axis) {
            const pugi::xml_attribute attribute = data.attribute(names[axis]);
            const std::optional<long long> value = attribute ? plane_number(attribute.value()) : 0;
            if (!value) return std::string("a TiffData's ") + names[axis] + " is not a count";
            first[axis] = *value;
        }
        if (!ifd || !count) return "a TiffData's IFD or PlaneCount is not a count";
        if (first[0] >= series->size_z || first[1] >= series->size_c ||
            first[2] >= series->size_t) {
            return "a TiffData's first plane lies outside SizeZ x SizeC x SizeT = " +
                   sizes_text(*series);
        }
        const long long start =
            ordered_index(*series, static_cast<int>(first[0]), static_cast<int>(first[1]),
                          static_cast<int>(first[2]));
        if (*count < 0) *count = planes - start;
        if (*count > planes - start || *ifd > pages - *count) {
            return "a TiffData places planes past the last plane or the file's " +
                   std::to_string(pages) + " pages";
        }
        for (long long k = 0; k < *count; ++k) {
            in_order[static_cast<std::size_t>(start + k)] = *ifd + k;
        }
    }
    series->plane_pages.assign(static_cast<std::size_t>(planes), -1);
    for (long long k = 0; k < planes; ++k) {
        int z = 0, c = 0, t = 0;
        ordered_plane(*series, k, &z, &c, &t);
        const long long page = any ? in_order[static_cast<std::size_t>(k)] : first_page + k;
        if (page < 0) {
            return "no page holds its plane Z " + std::to_string(z + 1) + ", C " +
                   std::to_string(c + 1) + ", T " + std::to_string(t + 1) + " (of " +
                   sizes_text(*series) + ")";
        }
        series->plane_pages[series->plane_index(z, c, t)] = page;
    }
    return "";
}

// Each Plane's PositionZ, where given.
void read_positions(const pugi::xml_node& pixels, MicroscopeSeries* series) {
    for (const pugi::xml_node& plane : pixels.children()) {
        if (!named(plane, "Plane")) continue;
        const int z = plane.attribute("TheZ").as_int(-1);
        const int c = plane.attribute("TheC").as_int(-1);
        const int t = plane.attribute("TheT").as_int(-1);
        const std::optional<double> position = length_attribute(plane, "PositionZ", false);
        if (!position || z < 0 || c < 0 || t < 0 || z >= series->size_z || c >= series->size_c ||
            t >= series->size_t) {
            continue;
        }
        if (series->position_z_um.empty()) {
            series->position_z_um.assign(series->plane_pages.size(), std::nan(""));
        }
        series->position_z_um[series->plane_index(z, c, t)] = *position;
    }
}

}  // namespace

bool looks_like_ome_xml(const std::string& description) {
    const std::size_t first = description.find_first_not_of(" \t\r\n");
    return first != std::string::npos && description[first] == '<' &&
           (description.find("<OME") != std::string::npos ||
            description.find(":OME") != std::string::npos);
}

DescriptionReading read_ome_xml(const std::string& description, long long pages,
                                const std::string& file_name) {
    // Refused before parsing: a document type could declare entities that expand without bound
    // or name files outside this one. pugixml itself neither expands declared entities nor reads
    // anything but the buffer, and is not asked to keep the declaration (no parse_doctype).
    if (description.find("<!DOCTYPE") != std::string::npos ||
        description.find("<!ENTITY") != std::string::npos) {
        return refusal(
            "its OME-XML description declares a document type or entities, which are "
            "not read");
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(
        description.data(), description.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        return refusal("its OME-XML description is not well-formed XML (" +
                       std::string(parsed.description()) + " at byte " +
                       std::to_string(parsed.offset) + ")");
    }
    const pugi::xml_node root = document.document_element();
    if (!named(root, "OME")) return DescriptionReading();  // other markup: an ordinary description
    MicroscopeMetadata metadata;
    metadata.kind = "OME-XML";
    std::vector<pugi::xml_node> all_pixels;
    for (const pugi::xml_node& image : root.children()) {
        if (!named(image, "Image")) continue;
        const pugi::xml_node pixels = child_named(image, "Pixels");
        if (!pixels) return refusal("its OME-XML description has an Image without Pixels");
        MicroscopeSeries series;
        const std::string problem = read_pixels(pixels, &series);
        if (!problem.empty()) return refusal("its OME-XML description: " + problem);
        metadata.series.push_back(std::move(series));
        all_pixels.push_back(pixels);
    }
    if (metadata.series.empty()) return refusal("its OME-XML description has no Image");
    if (std::string problem = plane_count_problem(metadata, pages); !problem.empty()) {
        return refusal(problem);
    }
    long long first_page = 0;
    for (std::size_t s = 0; s < metadata.series.size(); ++s) {
        MicroscopeSeries& series = metadata.series[s];
        const std::string problem =
            place_planes(all_pixels[s], first_page, pages, file_name, &series);
        if (!problem.empty()) {
            return refusal("its OME-XML description" +
                           (metadata.series.size() > 1 ? " (series " + std::to_string(s + 1) + ")"
                                                       : std::string()) +
                           ": " + problem);
        }
        read_positions(all_pixels[s], &series);
        first_page += static_cast<long long>(series.plane_pages.size());
    }
    DescriptionReading reading;
    reading.metadata = std::move(metadata);
    return reading;
}

}  // namespace bestfocus
