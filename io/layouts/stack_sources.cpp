#include "stack_sources.h"

#include <filesystem>

#include "name_format.h"

namespace bestfocus {

StackSource probe_stack(const StackLayout& layout, const std::string& base_folder, int folder) {
    StackSource stack;
    stack.folder = folder;
    stack.path = base_folder + formatted_name(layout.folder_names, folder);
    std::error_code ignored;  // a path that cannot be examined counts as missing
    const std::filesystem::file_status status = std::filesystem::status(stack.path, ignored);
    stack.multi_page = std::filesystem::is_regular_file(status);
    stack.exists = stack.multi_page || std::filesystem::is_directory(status);
    if (!stack.multi_page && (stack.path.empty() || stack.path.back() != '/')) {
        stack.path += '/';
    }
    return stack;
}

ImageLocation image_location(const StackSource& stack, const StackLayout& layout, int image) {
    if (stack.multi_page) {
        std::size_t page = static_cast<std::size_t>(image - 1);
        if (stack.microscope && page < stack.microscope->pages().size()) {
            page = static_cast<std::size_t>(stack.microscope->pages()[page]);
        }
        return ImageLocation(
            stack.path, static_cast<int>(page),
            page < stack.page_directories.size() ? stack.page_directories[page] : 0);
    }
    return ImageLocation(stack.path + formatted_name(layout.image_names, image));
}

std::string image_names_in_messages(const StackSource& stack, const StackLayout& layout) {
    if (stack.microscope) return "Z plane %d";
    return stack.multi_page ? "page %d" : layout.image_names;
}

}  // namespace bestfocus
