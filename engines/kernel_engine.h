// The kernels as an Engine: the 8-bit entry point on 8-bit views, the double-input one on
// 16-bit views normalised to value / 65535.0, on a GPU or on the CPU runtime.
#pragma once

#include "engine.h"

namespace bestfocus {

class KernelEngine : public Engine {
  public:
    Measurement measure(const ImageView& image, const std::vector<int>& methods) const override;
};

}  // namespace bestfocus
