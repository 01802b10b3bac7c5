#include "stack_image_sizes.h"

#include "name_format.h"

namespace bestfocus {

std::optional<MixedSizes> mixed_sizes(const std::vector<ImageSize>& sizes,
                                      const std::string& image_names) {
    for (std::size_t slot = 1; slot < sizes.size(); ++slot) {
        if (sizes[slot].width != sizes[0].width || sizes[slot].height != sizes[0].height) {
            return MixedSizes{formatted_name(image_names, 1), sizes[0],
                              formatted_name(image_names, static_cast<int>(slot) + 1), sizes[slot]};
        }
    }
    return std::nullopt;
}

}  // namespace bestfocus
