#include "stack_image_sizes.h"

#include "name_format.h"

namespace bestfocus {

namespace {

std::string described(const std::string& image_names, int image, const ImageSize& size) {
    return formatted_name(image_names, image) + " mide " + std::to_string(size.width) + " x " +
           std::to_string(size.height);
}

}  // namespace

std::optional<std::string> mixed_sizes_failure(const std::string& folder,
                                               const std::vector<ImageSize>& sizes,
                                               const std::string& image_names) {
    for (std::size_t slot = 1; slot < sizes.size(); ++slot) {
        if (sizes[slot].width != sizes[0].width || sizes[slot].height != sizes[0].height) {
            return "\nLas imagenes de la carpeta " + folder +
                   " no tienen el mismo tamano: " + described(image_names, 1, sizes[0]) + " y " +
                   described(image_names, static_cast<int>(slot) + 1, sizes[slot]);
        }
    }
    return std::nullopt;
}

}  // namespace bestfocus
