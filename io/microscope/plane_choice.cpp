#include "plane_choice.h"

#include <cmath>

namespace bestfocus {

namespace {

PlaneChoiceOutcome refusal(std::string why) {
    PlaneChoiceOutcome outcome;
    outcome.problem = std::move(why);
    return outcome;
}

bool all_digits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The channel the choice names, from 0; -1 when there is none such.
int chosen_channel(const MicroscopeSeries& series, const std::string& channel) {
    if (channel.empty()) return 0;
    if (all_digits(channel)) {
        const int number = channel.size() > 9 ? -1 : std::stoi(channel);
        return number >= 1 && number <= series.size_c ? number - 1 : -1;
    }
    for (std::size_t c = 0; c < series.channel_names.size(); ++c) {
        if (series.channel_names[c] == channel) return static_cast<int>(c);
    }
    return -1;
}

// "1 channel", "2 channels".
std::string counted(int count, const std::string& what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string channel_list(const MicroscopeSeries& series) {
    std::string names;
    for (std::size_t c = 0; c < series.channel_names.size(); ++c) {
        names += (c ? ", " : "") + std::to_string(c + 1);
        if (!series.channel_names[c].empty()) names += " " + series.channel_names[c];
    }
    return names;
}

}  // namespace

PlaneChoiceOutcome choose_planes(const MicroscopeMetadata& metadata, const PlaneChoice& choice) {
    const int series_count = static_cast<int>(metadata.series.size());
    if (choice.series < 1 || choice.series > series_count) {
        return refusal("it holds " + std::to_string(series_count) + " series, not series " +
                       std::to_string(choice.series));
    }
    const MicroscopeSeries& series = metadata.series[static_cast<std::size_t>(choice.series - 1)];
    if (choice.time < 1 || choice.time > series.size_t) {
        return refusal("it holds " + counted(series.size_t, "time point") + ", not time " +
                       std::to_string(choice.time));
    }
    const int channel = chosen_channel(series, choice.channel);
    if (channel < 0) {
        return refusal("it holds " + counted(series.size_c, "channel") + " (" +
                       channel_list(series) + "), not channel " + choice.channel);
    }
    MicroscopePlanes planes;
    planes.kind = metadata.kind;
    planes.series_count = series_count;
    planes.channel = channel;
    planes.channel_names = series.channel_names;
    planes.size_z = series.size_z;
    planes.size_t = series.size_t;
    planes.size_x_um = series.size_x_um;
    planes.size_y_um = series.size_y_um;
    planes.step_z_um = series.step_z_um;
    planes.channel_pages.resize(static_cast<std::size_t>(series.size_c));
    const int t = choice.time - 1;
    for (int c = 0; c < series.size_c; ++c) {
        for (int z = 0; z < series.size_z; ++z) {
            planes.channel_pages[static_cast<std::size_t>(c)].push_back(
                series.plane_pages[series.plane_index(z, c, t)]);
        }
    }
    if (!series.position_z_um.empty()) {
        for (int z = 0; z < series.size_z; ++z) {
            planes.position_z_um.push_back(series.position_z_um[series.plane_index(z, channel, t)]);
        }
    }
    PlaneChoiceOutcome outcome;
    outcome.planes = std::move(planes);
    return outcome;
}

std::optional<double> z_position_um(const MicroscopePlanes& planes, double image) {
    if (!std::isfinite(image) || image < 1 || image > planes.size_z) return std::nullopt;
    const double at = image - 1;
    const std::size_t below = static_cast<std::size_t>(std::floor(at));
    const std::size_t above = static_cast<std::size_t>(std::ceil(at));
    const std::vector<double>& known = planes.position_z_um;
    if (above < known.size() && std::isfinite(known[below]) && std::isfinite(known[above])) {
        return known[below] + (at - static_cast<double>(below)) * (known[above] - known[below]);
    }
    if (!planes.step_z_um) return std::nullopt;
    const double origin = !known.empty() && std::isfinite(known[0]) ? known[0] : 0.0;
    return origin + at * *planes.step_z_um;
}

bool has_z_positions(const MicroscopePlanes& planes) {
    return z_position_um(planes, 1).has_value();
}

}  // namespace bestfocus
