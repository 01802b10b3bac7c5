// A depth map in micrometres: each value, a fractional image number, as the Z position a
// microscope file's metadata gives that place between its planes (plane_choice.h).
#pragma once

#include "depth_map.h"
#include "plane_choice.h"

namespace bestfocus {

// The map's rows, each value as z_position_um gives it (NaN where it gives none); both must
// outlive this.
class MicrometreDepthRows final : public DepthRows {
  public:
    MicrometreDepthRows(const DepthRows& images, const MicroscopePlanes& planes)
        : DepthRows(images.width(), images.height()), images_(images), planes_(planes) {}
    void span(int y, int begin, int end, float* values) const override;

  private:
    const DepthRows& images_;
    const MicroscopePlanes& planes_;
};

}  // namespace bestfocus
