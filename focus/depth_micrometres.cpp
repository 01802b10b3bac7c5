#include "depth_micrometres.h"

#include <limits>

namespace bestfocus {

void MicrometreDepthRows::span(int y, int begin, int end, float* values) const {
    images_.span(y, begin, end, values);
    for (int x = 0; x < end - begin; ++x) {
        const std::optional<double> z = z_position_um(planes_, values[x]);
        values[x] = z ? static_cast<float>(*z) : std::numeric_limits<float>::quiet_NaN();
    }
}

}  // namespace bestfocus
