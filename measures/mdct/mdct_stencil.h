// The MDCT window, for the kernel and the CPU row sums alike: 4 x 4 pixels under a sign pattern,
// the outer product of (+1, +1, -1, -1) down the rows and (+1, +1, -1, -1) along the columns.
#pragma once

#include "host_device.h"

// Sign (i, j) at 4 * i + j: +1 where row and column offset lie in the same half of the window.
#define MDCT_SIGN_PATTERN \
    { 1, 1, -1, -1, 1, 1, -1, -1, -1, -1, 1, 1, -1, -1, 1, 1 }

namespace bestfocus {

// Window anchors along a side of the image: one fewer than the positions where the 4-pixel window
// fits, so the last row and the last column of the image never take part; negative for a side
// shorter than that.
BESTFOCUS_HOST_DEVICE constexpr int mdct_anchors(int image_side) { return image_side - 4; }

}  // namespace bestfocus
