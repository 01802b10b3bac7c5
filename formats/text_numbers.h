// Strict number parsing for the files a run leaves: the whole text must be the number.
#pragma once

#include <optional>
#include <string>

namespace bestfocus {

// The rule of every number given to the tools (positional arguments, --roi, --tiles, the merge's
// folders): decimal digits only (no sign, blank or other character; leading zeros are plain
// digits), within 0..INT_MAX.
bool parse_digits_int(const std::string& text, int& value);

// A decimal int with an optional '-', nothing before or after it, within int's range.
bool parse_whole_int(const std::string& text, int& value);

// An int written as std::to_string writes it, and nothing else: "-0", "+1" or "01" are not.
bool parse_canonical_int(const std::string& text, int& value);

// A finite decimal number as strtod reads it, nothing before or after it.
bool parse_whole_double(const std::string& text, double& value);

// The shortest of the decimal forms with at most 17 significant digits that reads back to the
// same double ("%.17g").
std::string exact_decimal(double value);

// The shortest decimal form ("%.Ng", N up to 17) that reads back to the same double: 0.1, not
// 0.10000000000000001.
std::string shortest_decimal(double value);

// The z_um column of the summaries (score_tables.h): nothing without the column, otherwise ","
// and the value as shortest_decimal writes it, or nothing where it is unknown.
std::string z_field(bool with_z, const std::optional<double>& z_um);
// Its field read back: empty (unknown) or a finite number.
bool parse_z_field(const std::string& text, std::optional<double>* z_um);

}  // namespace bestfocus
