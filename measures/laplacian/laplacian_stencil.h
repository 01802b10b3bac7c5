// The Laplacian window, for the kernel and the CPU row sums alike: the four neighbours of the
// centre of a 3 x 3 window minus four times the centre; the corners take no part.
#pragma once

#include "host_device.h"

namespace bestfocus {

// Window anchors (top-left corners) along a side of the image: every position where the window
// fits; negative for a side shorter than the window.
BESTFOCUS_HOST_DEVICE constexpr int laplacian_anchors(int image_side) { return image_side - 2; }

// The centre's weight; each of the four neighbours weighs 1.
constexpr int kLaplacianCentreWeight = -4;

}  // namespace bestfocus
