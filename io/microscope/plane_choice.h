// Which planes of a microscope file are the stack: the Z planes, in Z order, of one channel at one
// time point of one series, as the run chooses them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "microscope_metadata.h"

namespace bestfocus {

// The run's choice, each counted from 1 as Fiji shows them.
struct PlaneChoice {
    std::string channel;  // empty: the first; all digits: its number; otherwise its name
    int time = 1;
    int series = 1;
};

// The chosen planes of a file and what the metadata says of them.
struct MicroscopePlanes {
    std::string kind;                                   // "OME-XML" or "ImageJ"
    int series_count = 1;                               // the file's series
    int channel = 0;                                    // the focus channel, from 0
    std::vector<std::string> channel_names;             // every channel's, empty where unnamed
    std::vector<std::vector<long long>> channel_pages;  // [c][z]: every channel's Z planes' pages
    int size_z = 1;
    int size_t = 1;
    std::optional<double> size_x_um;
    std::optional<double> size_y_um;
    std::optional<double> step_z_um;
    // The focus channel's planes' PositionZ in micrometres, in Z order; empty or NaN where unknown.
    std::vector<double> position_z_um;

    const std::vector<long long>& pages() const {
        return channel_pages[static_cast<std::size_t>(channel)];
    }
};

struct PlaneChoiceOutcome {
    std::optional<MicroscopePlanes> planes;
    std::string problem;  // not empty: the choice names a channel, time or series the file lacks
};

PlaneChoiceOutcome choose_planes(const MicroscopeMetadata& metadata, const PlaneChoice& choice);

// Where image `image` (counted from 1, fractional between planes) lies in Z, in micrometres:
// between the planes' PositionZ where both neighbours give one, otherwise the first plane's
// PositionZ (0 when unknown) plus (image - 1) steps; nothing without either.
std::optional<double> z_position_um(const MicroscopePlanes& planes, double image);

// Whether the planes have a Z position at all (z_position_um gives one).
bool has_z_positions(const MicroscopePlanes& planes);

}  // namespace bestfocus
