#include "text_numbers.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bestfocus {

bool parse_digits_int(const std::string& text, int& value) {
    return !text.empty() && text[0] != '-' && parse_whole_int(text, value);
}

bool parse_whole_int(const std::string& text, int& value) {
    const std::size_t digits_from = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == digits_from ||
        text.find_first_not_of("0123456789", digits_from) != std::string::npos) {
        return false;
    }
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || parsed < INT_MIN || parsed > INT_MAX) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool parse_canonical_int(const std::string& text, int& value) {
    return parse_whole_int(text, value) && std::to_string(value) == text;
}

bool parse_whole_double(const std::string& text, double& value) {
    if (text.empty() || text.find_first_of(" \t\n") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

std::string exact_decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string shortest_decimal(double value) {
    char text[32];
    for (int digits = 1; digits < 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) return text;
    }
    return exact_decimal(value);
}

std::string z_field(bool with_z, const std::optional<double>& z_um) {
    if (!with_z) return "";
    return "," + (z_um ? shortest_decimal(*z_um) : std::string());
}

bool parse_z_field(const std::string& text, std::optional<double>* z_um) {
    z_um->reset();
    if (text.empty()) return true;
    double value = 0;
    if (!parse_whole_double(text, value)) return false;
    *z_um = value;
    return true;
}

}  // namespace bestfocus
