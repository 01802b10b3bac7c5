// The largest image the engines measure: the kernels count pixels in int.
#pragma once

#include <limits>

namespace bestfocus {

// False when width * height does not fit an int.
inline bool pixel_count_fits(int width, int height) {
    return static_cast<long long>(width) * height <= std::numeric_limits<int>::max();
}

}  // namespace bestfocus
