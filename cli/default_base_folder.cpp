#include "default_base_folder.h"

#include <filesystem>

namespace bestfocus {

std::string default_base_folder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "sample_stacks/";
    }
    return (executable.parent_path() / "sample_stacks").string() + "/";
}

}  // namespace bestfocus
