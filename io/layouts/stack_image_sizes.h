// The images of one stack must all have the same size: the focus measures are sums over the
// pixels, not averages, so a larger image would outscore a sharper smaller one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "stack_layout.h"

namespace bestfocus {

struct ImageSize {
    int width = 0;
    int height = 0;
};

// Nothing when all sizes are equal. Otherwise the message that refuses the stack:
// "\nLas imagenes de la carpeta <folder> no tienen el mismo tamano: 01.bmp mide <w> x <h> y
// <NN>.bmp mide <w> x <h>", naming image 1 and the first image whose size differs from it, each
// by the checked format image_names (name_format.h). sizes[j] is the size of image j + 1.
std::optional<std::string> mixed_sizes_failure(const std::string& folder,
                                               const std::vector<ImageSize>& sizes,
                                               const std::string& image_names = kDefaultImageNames);

}  // namespace bestfocus
