// File and folder names given as printf-style formats of one number: "%03d", "z%03d.tif",
// "pos_%02d". A format is checked before it is ever used: only then does it reach snprintf.
#pragma once

#include <optional>
#include <string>

namespace bestfocus {

// The longest name a file system takes for one file or folder, in bytes.
constexpr int kLongestFileName = 255;

// Nothing when the format holds exactly one integer conversion (%d, %i or %u, with optional flags
// "-+ #0", a width and a precision, all in digits and neither above kLongestFileName), and
// otherwise only text and "%%". Otherwise what is wrong with it, for a message.
std::optional<std::string> name_format_problem(const std::string& format);

// The name the checked format gives the number.
std::string formatted_name(const std::string& checked_format, int number);

// Nothing when the checked format's names for the numbers first..last (inclusive, first <= last)
// all fit kLongestFileName bytes; otherwise the number whose name is too long.
std::optional<int> number_with_too_long_name(const std::string& checked_format, int first,
                                             int last);

}  // namespace bestfocus
