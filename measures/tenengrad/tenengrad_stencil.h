// The Tenengrad window, for the kernel and the CPU row sums alike: 3 x 3 pixels, Gx the left
// column minus the right one and Gy the top row minus the bottom one, each weighted 1, 2, 1.
#pragma once

#include "host_device.h"

// Sobel coefficient (i, j) of Gx at 3 * i + j, and of Gy (the transpose).
#define TENENGRAD_GX_COEFFICIENTS \
    { 1, 0, -1, 2, 0, -2, 1, 0, -1 }
#define TENENGRAD_GY_COEFFICIENTS \
    { 1, 2, 1, 0, 0, 0, -1, -2, -1 }

namespace bestfocus {

// Window anchors (top-left corners) along a side of the image: every position where the window
// fits; negative for a side shorter than the window.
BESTFOCUS_HOST_DEVICE constexpr int tenengrad_anchors(int image_side) { return image_side - 2; }

}  // namespace bestfocus
