#include "name_format.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace bestfocus {

namespace {

// One conversion's parts after its '%': flags, width, precision, then the conversion
// character. Returns the index of the conversion character, or npos when the text ends first.
std::size_t conversion_end(const std::string& format, std::size_t after_percent) {
    std::size_t i = after_percent;
    while (i < format.size() && std::strchr("-+ #0", format[i]) != nullptr) ++i;
    while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) ++i;
    if (i < format.size() && format[i] == '.') {
        ++i;
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) ++i;
    }
    return i < format.size() ? i : std::string::npos;
}

// Whether the digits from `begin` up to the first non-digit stand for more than the limit.
bool digits_exceed(const std::string& format, std::size_t begin, int limit) {
    long long value = 0;
    for (std::size_t i = begin; i < format.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(format[i]))) break;
        value = value * 10 + (format[i] - '0');
        if (value > limit) return true;
    }
    return false;
}

// Whether the conversion from after_percent to end asks for a width or precision above the limit.
bool width_or_precision_exceeds(const std::string& format, std::size_t after_percent,
                                std::size_t end, int limit) {
    std::size_t i = after_percent;
    while (i < end && std::strchr("-+ #0", format[i]) != nullptr) ++i;
    if (digits_exceed(format, i, limit)) return true;
    const std::size_t dot = format.find('.', i);
    return dot < end && digits_exceed(format, dot + 1, limit);
}

bool is_integer_conversion(char conversion) {
    return conversion != '\0' && std::strchr("diu", conversion) != nullptr;
}

// snprintf of a format whose one conversion takes the number's type.
template <class Number>
std::string printed(const std::string& format, Number number) {
    const int length = std::snprintf(nullptr, 0, format.c_str(), number);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    // Writes the terminator over text[length], which std::string keeps as '\0' anyway.
    std::snprintf(text.data(), text.size() + 1, format.c_str(), number);
    return text;
}

}  // namespace

std::optional<std::string> name_format_problem(const std::string& format) {
    int conversions = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        const std::size_t end = conversion_end(format, i + 1);
        if (end == std::string::npos) {
            return "it ends inside a conversion";
        }
        if (!is_integer_conversion(format[end])) {
            return "\"" + format.substr(i, end - i + 1) +
                   "\" is not an integer conversion (%d, %i or %u)";
        }
        if (width_or_precision_exceeds(format, i + 1, end, kLongestFileName)) {
            return "\"" + format.substr(i, end - i + 1) + "\" asks for more than " +
                   std::to_string(kLongestFileName) + " characters, a file name's limit";
        }
        ++conversions;
        i = end;
    }
    if (conversions != 1) {
        return "it has " + std::to_string(conversions) + " integer conversions, not one";
    }
    return std::nullopt;
}

std::string formatted_name(const std::string& checked_format, int number) {
    // The only conversion, found as the check found it: %u takes an unsigned argument.
    for (std::size_t i = 0; i < checked_format.size(); ++i) {
        if (checked_format[i] != '%') continue;
        if (checked_format[i + 1] == '%') {
            ++i;
            continue;
        }
        if (checked_format[conversion_end(checked_format, i + 1)] == 'u') {
            return printed(checked_format, static_cast<unsigned>(number));
        }
        break;
    }
    return printed(checked_format, number);
}

std::optional<int> number_with_too_long_name(const std::string& checked_format, int first,
                                             int last) {
    // Digits and sign grow with the distance from 0, and %u prints negative numbers as large
    // ones: the longest names of a range are at its ends.
    for (const int number : {first, last}) {
        if (formatted_name(checked_format, number).size() > kLongestFileName) return number;
    }
    return std::nullopt;
}

}  // namespace bestfocus
