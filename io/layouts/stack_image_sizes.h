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

// Two images of a stack that differ in size, each named by the stack's image names.
struct MixedSizes {
    std::string first_name;
    ImageSize first;
    std::string other_name;
    ImageSize other;
};

// Nothing when all sizes are equal. Otherwise image 1 and the first image whose size differs from
// it, each named by the checked format image_names (name_format.h). sizes[j] is the size of image
// j + 1.
std::optional<MixedSizes> mixed_sizes(const std::vector<ImageSize>& sizes,
                                      const std::string& image_names = kDefaultImageNames);

}  // namespace bestfocus
