// Strict number parsing for the files a run leaves: the whole text must be the number.
#pragma once

#include <string>

// A decimal int with an optional '-', nothing before or after it, within int's range.
bool parse_whole_int(const std::string& text, int& value);

// A finite decimal number as strtod reads it, nothing before or after it.
bool parse_whole_double(const std::string& text, double& value);
