#include "description_parts.h"

#include <charconv>
#include <cmath>

namespace bestfocus {

namespace {

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

template <typename Number>
std::optional<Number> whole_number(const std::string& text) {
    const std::string digits = trimmed(text);
    Number value{};
    const char* end = digits.data() + digits.size();
    const std::from_chars_result read = std::from_chars(digits.data(), end, value);
    if (digits.empty() || read.ec != std::errc() || read.ptr != end) return std::nullopt;
    return value;
}

// The size of axis `axis` ('Z', 'C' or 'T') of the series.
long long axis_size(const MicroscopeSeries& series, char axis) {
    return axis == 'Z' ? series.size_z : axis == 'C' ? series.size_c : series.size_t;
}

}  // namespace

std::optional<int> positive_count(const std::string& text) {
    const std::optional<long long> value = whole_number<long long>(text);
    if (!value || *value < 1 || *value > 1000000000) return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<long long> plane_number(const std::string& text) {
    const std::optional<long long> value = whole_number<long long>(text);
    if (!value || *value < 0 || *value >= (1LL << 62)) return std::nullopt;
    return value;
}

std::optional<double> finite_number(const std::string& text) {
    const std::optional<double> value = whole_number<double>(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::optional<double> positive_length(const std::string& text) {
    const std::optional<double> value = finite_number(text);
    if (!value || *value <= 0) return std::nullopt;
    return value;
}

std::string sizes_text(const MicroscopeSeries& series) {
    return std::to_string(series.size_z) + " x " + std::to_string(series.size_c) + " x " +
           std::to_string(series.size_t);
}

std::string plane_count_problem(const MicroscopeMetadata& metadata, long long pages) {
    // Each size is at most 10^9: a long double holds the products exactly enough to compare.
    long double planes = 0;
    std::string sizes;
    for (const MicroscopeSeries& series : metadata.series) {
        planes += static_cast<long double>(series.size_z) * series.size_c * series.size_t;
        sizes += (sizes.empty() ? "" : " + ") + sizes_text(series);
    }
    if (planes == static_cast<long double>(pages)) return "";
    const std::string described =
        planes < 1e18L ? std::to_string(static_cast<long long>(planes)) : "more than 10^18";
    return "its " + metadata.kind + " description has " + described + " planes (SizeZ x SizeC x " +
           "SizeT = " + sizes + "), but the file holds " + std::to_string(pages) + " pages";
}

long long ordered_index(const MicroscopeSeries& series, int z, int c, int t) {
    long long index = 0;
    for (int letter = 4; letter >= 2; --letter) {  // slowest first
        const char axis = series.dimension_order[static_cast<std::size_t>(letter)];
        index = index * axis_size(series, axis) + (axis == 'Z' ? z : axis == 'C' ? c : t);
    }
    return index;
}

void ordered_plane(const MicroscopeSeries& series, long long index, int* z, int* c, int* t) {
    for (int letter = 2; letter <= 4; ++letter) {  // fastest first
        const char axis = series.dimension_order[static_cast<std::size_t>(letter)];
        const long long size = axis_size(series, axis);
        const int value = static_cast<int>(index % size);
        index /= size;
        *(axis == 'Z' ? z : axis == 'C' ? c : t) = value;
    }
}

}  // namespace bestfocus
