// Choosing the sharpest image of a stack.
#pragma once

#include <vector>

namespace bestfocus {

// The 1-based number of the first image with the greatest focus value: slot 0 leads, and a later
// slot takes the lead only when strictly greater, so ties keep the lower number and a NaN never
// takes the lead (nor loses it, in slot 0). focus must not be empty.
int best_image_number(const std::vector<double>& focus);

}  // namespace bestfocus
