#include "stack_paths.h"

#include <cstdio>

std::string zero_padded(int number, int digits) {
    const int length = std::snprintf(nullptr, 0, "%0*d", digits, number);
    std::string text(static_cast<std::size_t>(length), '\0');
    // Writes the terminator over text[length], which std::string keeps as '\0' anyway.
    std::snprintf(text.data(), text.size() + 1, "%0*d", digits, number);
    return text;
}

std::string folder_path(const std::string& base_folder, int folder) {
    return base_folder + zero_padded(folder, 3) + "/";
}

std::string image_path(const std::string& folder_path, int image) {
    return folder_path + zero_padded(image, 2) + ".bmp";
}
