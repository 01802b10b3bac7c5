// How many window anchors (top-left corners) each window measure counts along a side of the
// image, as the kernels count them; 0 when the image is too small.
#pragma once

#include <algorithm>

// Every position where a 3 x 3 window fits (Tenengrad, Laplacian).
inline int three_by_three_anchors(int image_side) { return std::max(0, image_side - 2); }

// One fewer than the positions where the 4 x 4 window fits, as the MDCT kernel has it: the
// image's last row and last column never take part.
inline int mdct_anchors(int image_side) { return std::max(0, image_side - 4); }
