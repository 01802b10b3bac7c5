#include "stack_layout.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

namespace bestfocus {

namespace {

// A decimal integer from `text` at *position up to the next comma or the end, within
// minimum..INT_MAX; moves *position past the comma.
bool read_field(const std::string& text, std::size_t* position, int minimum, int* value) {
    if (*position > text.size()) return false;  // the previous field ended the text
    const std::size_t end = std::min(text.find(',', *position), text.size());
    const std::string field = text.substr(*position, end - *position);
    *position = end + 1;
    if (field.empty() || field.size() > 10) return false;
    for (const char c : field) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    const long long number = std::strtoll(field.c_str(), nullptr, 10);
    if (number < minimum || number > INT_MAX) return false;
    *value = static_cast<int>(number);
    return true;
}

}  // namespace

std::optional<RegionOfInterest> parse_region(const std::string& text) {
    RegionOfInterest region;
    std::size_t position = 0;
    if (read_field(text, &position, 0, &region.x) && read_field(text, &position, 0, &region.y) &&
        read_field(text, &position, 1, &region.width) &&
        read_field(text, &position, 1, &region.height) && position == text.size() + 1) {
        return region;
    }
    return std::nullopt;
}

bool region_fits(const RegionOfInterest& region, int width, int height) {
    return static_cast<long long>(region.x) + region.width <= width &&
           static_cast<long long>(region.y) + region.height <= height;
}

}  // namespace bestfocus
