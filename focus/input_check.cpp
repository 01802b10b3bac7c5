#include "input_check.h"

#include <cstdio>
#include <filesystem>

#include "fatal_exit.h"

namespace {

// A path that cannot be examined (no permission, a loop of links) counts as missing.
bool is_regular_file(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

// The first image of a folder stack that is not there, or nothing when all `asked` are (asked 0:
// counts the images up to the first gap, which must not be image 1).
std::optional<MissingInput> missing_in_folder(const StackLayout& layout, StackSource* stack,
                                              int asked) {
    for (int image = 1; asked == 0 || image <= asked; ++image) {
        const std::string path = image_location(*stack, layout, image).file;
        if (!is_regular_file(path)) {
            if (asked == 0 && image > 1) {
                break;
            }
            return MissingInput{path, stack->path, false};
        }
        stack->images = image;
    }
    return std::nullopt;
}

// A damaged file is refused whatever the pages asked for: its page count cannot be trusted.
std::optional<MissingInput> missing_pages(StackSource* stack, int asked) {
    bestfocus::FilePages pages = bestfocus::pages_of(stack->path);
    if (pages.damaged) {
        MissingInput missing{stack->path, stack->path, false,
                             static_cast<int>(pages.directories.size()), asked};
        missing.pages_damaged = true;
        return missing;
    }
    if (pages.count == 0 || pages.count < asked) {
        return MissingInput{stack->path, stack->path, false, pages.count, asked};
    }
    stack->images = asked == 0 ? pages.count : asked;
    stack->page_directories = std::move(pages.directories);
    return std::nullopt;
}

bool is_link_loop(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    std::error_code error;
    (void)std::filesystem::status(path, error);
    return error == std::errc::too_many_symbolic_link_levels;
}

}  // namespace

std::optional<MissingInput> first_missing_input(const RunConfig& config,
                                                std::vector<StackSource>* stacks) {
    // long long: the loop must end after last_folder == INT_MAX.
    for (long long number = config.first_folder; number <= config.last_folder; ++number) {
        StackSource stack =
            probe_stack(config.layout, config.base_folder, static_cast<int>(number));
        if (!stack.exists) {
            MissingInput missing{image_location(stack, config.layout, 1).file, stack.path, true};
            missing.folder_link_loop = is_link_loop(stack.path);
            return missing;
        }
        const std::optional<MissingInput> missing =
            stack.multi_page ? missing_pages(&stack, config.images_per_stack)
                             : missing_in_folder(config.layout, &stack, config.images_per_stack);
        if (missing) {
            return missing;
        }
        if (stacks != nullptr) {
            stacks->push_back(std::move(stack));
        }
    }
    return std::nullopt;
}

void end_run_on_missing_input(const MissingInput& missing, const std::string& base_folder) {
    if (missing.folder_link_loop) {
        std::fprintf(stderr, "bestfocus: the folder %s is a loop of symbolic links\n",
                     missing.folder_path.c_str());
    } else if (missing.folder_missing) {
        std::fprintf(stderr,
                     "bestfocus: there is no folder %s (the base folder \"%s\" is used as a "
                     "prefix of the folder names, <base><NNN>/, and normally ends in \"/\")\n",
                     missing.folder_path.c_str(), base_folder.c_str());
    }
    if (missing.pages_damaged && missing.pages_found == 0) {
        std::fprintf(stderr, "bestfocus: %s is damaged: its first page cannot be read\n",
                     missing.image_path.c_str());
    } else if (missing.pages_damaged) {
        std::fprintf(stderr,
                     "bestfocus: %s is damaged: its chain of pages breaks after page %d (the "
                     "next page is past the end of the file, seen before, or unreadable)\n",
                     missing.image_path.c_str(), missing.pages_found);
    } else if (missing.pages_found >= 0) {
        if (missing.pages_asked > 0) {
            std::fprintf(stderr, "bestfocus: %s holds %d pages, fewer than the %d asked for\n",
                         missing.image_path.c_str(), missing.pages_found, missing.pages_asked);
        } else {
            std::fprintf(stderr, "bestfocus: %s holds no page that can be read\n",
                         missing.image_path.c_str());
        }
    }
    end_process_now("\nNo se puede abrir el archivo: " + missing.image_path, 1);
}
