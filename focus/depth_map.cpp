#include "depth_map.h"

#include <algorithm>
#include <cstddef>

namespace bestfocus {

void HeldDepthRows::span(int y, int begin, int end, float* values) const {
    const float* row = map_.values.data() + static_cast<std::size_t>(y) * map_.width;
    std::copy(row + begin, row + end, values);
}

}  // namespace bestfocus
