// What a microscope file's description says of its planes, in one value: the file's images
// (series), each of SizeZ x SizeC x SizeT planes, which page holds each plane, the channels' names
// and the physical sizes. Read from OME-XML (ome_xml.h) or an ImageJ hyperstack's description
// (imagej_description.h); the layouts pick a channel's Z planes from it (plane_choice.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace bestfocus {

// One image of a file (a series, a stage position).
struct MicroscopeSeries {
    int size_z = 1;
    int size_c = 1;
    int size_t = 1;
    std::string dimension_order = "XYZCT";   // fastest first, as OME writes it
    std::vector<std::string> channel_names;  // by channel; empty names where unnamed
    // Physical sizes in micrometres: a pixel's width and height, the step between Z planes.
    std::optional<double> size_x_um;
    std::optional<double> size_y_um;
    std::optional<double> step_z_um;
    // The 0-based page of each plane, at plane_index(z, c, t): every plane lies in the file.
    std::vector<long long> plane_pages;
    // Each plane's PositionZ in micrometres, at plane_index(z, c, t): empty, or NaN where unknown.
    std::vector<double> position_z_um;

    std::size_t plane_index(int z, int c, int t) const {
        return static_cast<std::size_t>(z) +
               static_cast<std::size_t>(size_z) *
                   (static_cast<std::size_t>(c) + static_cast<std::size_t>(size_c) * t);
    }
};

struct MicroscopeMetadata {
    std::string kind;  // "OME-XML" or "ImageJ", for messages
    std::vector<MicroscopeSeries> series;
};

// What a description was found to be.
struct DescriptionReading {
    // The file's dimensions; nothing for a description of another kind (or none): the file's
    // pages are then the stack, in order.
    std::optional<MicroscopeMetadata> metadata;
    // Not empty: the description is microscope metadata that is refused (malformed, declares
    // entities, disagrees with the file's `pages`), for a message after the file's name.
    std::string problem;
};

// Reads the first page's description of a file of `pages` pages, named `file_name` (its last
// part), whose first page has that XResolution and YResolution (pixels per unit, for ImageJ).
DescriptionReading read_microscope_description(const std::string& description, long long pages,
                                               const std::string& file_name,
                                               std::optional<double> x_resolution = std::nullopt,
                                               std::optional<double> y_resolution = std::nullopt);

// A length in micrometres, from a value and the unit OME or ImageJ names it by ("µm", "um",
// "micron", "nm", "mm", ...); nothing for an unknown unit ("pixel") or a value that is not finite.
std::optional<double> micrometres(double value, const std::string& unit);

}  // namespace bestfocus
