#include "input_check.h"

#include <cstdio>
#include <filesystem>

#include "fatal_exit.h"
#include "stack_paths.h"

namespace {

namespace fs = std::filesystem;

// A path that cannot be examined (no permission, a loop of links) counts as missing.
bool is_folder(const std::string& path) {
    std::error_code ignored;
    return fs::is_directory(path, ignored);
}

bool is_regular_file(const std::string& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

}  // namespace

std::optional<MissingInput> first_missing_input(const RunConfig& config) {
    // long long: the loop must end after last_folder == INT_MAX.
    for (long long number = config.first_folder; number <= config.last_folder; ++number) {
        const std::string folder = folder_path(config.base_folder, static_cast<int>(number));
        if (!is_folder(folder)) {
            return MissingInput{image_path(folder, 1), folder, true};
        }
        for (int slot = 0; slot < config.images_per_stack; ++slot) {
            const std::string image = image_path(folder, slot + 1);
            if (!is_regular_file(image)) {
                return MissingInput{image, folder, false};
            }
        }
    }
    return std::nullopt;
}

void end_run_on_missing_input(const MissingInput& missing, const std::string& base_folder) {
    if (missing.folder_missing) {
        std::fprintf(stderr,
                     "bestfocus: there is no folder %s (the base folder \"%s\" is used as a "
                     "prefix of the folder names, <base><NNN>/, and normally ends in \"/\")\n",
                     missing.folder_path.c_str(), base_folder.c_str());
    }
    end_process_now("\nNo se puede abrir el archivo: " + missing.image_path, 1);
}
