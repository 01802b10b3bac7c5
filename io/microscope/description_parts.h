// What the readers of the two kinds of description share: strict numbers, the check of the planes
// against the file's pages, and planes laid out in a dimension order.
#pragma once

#include <optional>
#include <string>

#include "microscope_metadata.h"

namespace bestfocus {

// The whole text as a decimal integer from 1 to 1,000,000,000; nothing otherwise.
std::optional<int> positive_count(const std::string& text);
// The whole text as a non-negative integer below 2^62 (an IFD, a first Z); nothing otherwise.
std::optional<long long> plane_number(const std::string& text);
// The whole text as a finite positive number; nothing otherwise.
std::optional<double> positive_length(const std::string& text);
// The whole text as a finite number; nothing otherwise.
std::optional<double> finite_number(const std::string& text);

// The planes of one series, SizeZ x SizeC x SizeT, for messages: "10 x 2 x 1".
std::string sizes_text(const MicroscopeSeries& series);

// Empty when the series' planes together are `pages`; otherwise the refusal naming both counts.
// Checked before any plane is placed, so that no size a description claims is ever allocated.
std::string plane_count_problem(const MicroscopeMetadata& metadata, long long pages);

// The linear index, in the series' dimension order, of plane (z, c, t), and back: planes of the
// file follow each other in that order, its first letter after XY the fastest.
long long ordered_index(const MicroscopeSeries& series, int z, int c, int t);
void ordered_plane(const MicroscopeSeries& series, long long index, int* z, int* c, int* t);

}  // namespace bestfocus
