#include "input_check.h"

#include <filesystem>

#include "microscope_metadata.h"
#include "name_format.h"
#include "plane_choice.h"

namespace bestfocus {

namespace {

// A path that cannot be examined (no permission, a loop of links) counts as missing.
bool is_regular_file(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

// An image's name without the extension its format ends in: "17" for "17.bmp".
std::string image_label(const StackLayout& layout, int image) {
    const std::string name = formatted_name(layout.image_names, image);
    const std::size_t dot = layout.image_names.rfind('.');
    if (dot == std::string::npos || layout.image_names.find('%', dot) != std::string::npos) {
        return name;
    }
    return name.substr(0, name.size() - (layout.image_names.size() - dot));
}

// The last part of a folder's path: "001" for "stacks/001/".
std::string folder_label(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path.substr(path.rfind('/') + 1);
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
            MissingInput missing{path, stack->path, false};
            missing.images_present = image - 1;
            missing.first_image = image_label(layout, 1);
            missing.last_present = image_label(layout, image - 1);
            return missing;
        }
        stack->images = image;
    }
    return std::nullopt;
}

// The file's last part, as OME's TiffData names files.
std::string file_name(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// A stack refused for what its metadata (or the lack of it) says against the run's choice.
MissingInput metadata_refusal(const StackSource& stack, std::string problem) {
    MissingInput missing{stack.path, stack.path, false};
    missing.metadata_problem = std::move(problem);
    return missing;
}

// A stack without dimensions of its own has one channel, time point and series: only the
// default choice meets it.
std::optional<MissingInput> plain_choice_problem(const StackSource& stack,
                                                 const PlaneChoice& choice) {
    MicroscopeMetadata plain;
    plain.series.resize(1);
    plain.series[0].channel_names.resize(1);
    plain.series[0].plane_pages.resize(1);
    PlaneChoiceOutcome chosen = choose_planes(plain, choice);
    if (chosen.problem.empty()) return std::nullopt;
    return metadata_refusal(stack, chosen.problem);
}

// A microscope file's planes of the chosen channel, time and series are the stack.
std::optional<MissingInput> microscope_planes(StackSource* stack, const FilePages& pages,
                                              const PlaneChoice& choice, int asked) {
    const DescriptionReading reading = read_microscope_description(
        pages.description->text, pages.count, file_name(stack->path),
        pages.description->x_resolution, pages.description->y_resolution);
    if (!reading.problem.empty()) return metadata_refusal(*stack, reading.problem);
    if (!reading.metadata) return plain_choice_problem(*stack, choice);
    PlaneChoiceOutcome chosen = choose_planes(*reading.metadata, choice);
    if (!chosen.problem.empty()) return metadata_refusal(*stack, chosen.problem);
    const int planes = chosen.planes->size_z;
    if (asked > planes) {
        return metadata_refusal(*stack, "it holds " + std::to_string(planes) +
                                            " Z planes, fewer than the " + std::to_string(asked) +
                                            " asked for");
    }
    stack->images = asked == 0 ? planes : asked;
    stack->microscope = std::move(chosen.planes);
    return std::nullopt;
}

// A damaged file is refused whatever the pages asked for: its page count cannot be trusted.
std::optional<MissingInput> missing_pages(StackSource* stack, const PlaneChoice& choice,
                                          int asked) {
    FilePages pages = pages_of(stack->path);
    if (pages.damaged) {
        MissingInput missing{stack->path, stack->path, false,
                             static_cast<int>(pages.directories.size()), asked};
        missing.pages_damaged = true;
        return missing;
    }
    if (pages.count == 0) {
        return MissingInput{stack->path, stack->path, false, pages.count, asked};
    }
    if (pages.description) {
        if (std::optional<MissingInput> refused = microscope_planes(stack, pages, choice, asked)) {
            return refused;
        }
        if (stack->microscope) {
            stack->page_directories = std::move(pages.directories);
            return std::nullopt;
        }
    } else if (std::optional<MissingInput> refused = plain_choice_problem(*stack, choice)) {
        return refused;
    }
    if (pages.count < asked) {
        return MissingInput{stack->path, stack->path, false, pages.count, asked};
    }
    stack->images = asked == 0 ? pages.count : asked;
    stack->page_directories = std::move(pages.directories);
    return std::nullopt;
}

// Whether the stacks' names are those of multi-page files: the last part of the name format has an
// extension after its number ("pos_%02d.ome.tif"), where a folder's has none ("%03d").
bool names_files(const std::string& folder_names) {
    const std::size_t last_part = folder_names.rfind('/', folder_names.size() - 2);
    const std::size_t number = folder_names.rfind('%');
    const std::size_t dot = folder_names.rfind('.');
    return folder_names.back() != '/' && dot != std::string::npos &&
           (number == std::string::npos || dot > number) &&
           (last_part == std::string::npos || dot > last_part);
}

// Why the path cannot be examined, in the system's words, when it is not for want of a file
// ("File name too long" beyond PATH_MAX, "Permission denied"); empty when it is missing or there.
std::string why_unexaminable(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    std::error_code error;
    (void)std::filesystem::status(path, error);
    if (!error || error == std::errc::no_such_file_or_directory ||
        error == std::errc::not_a_directory) {
        return "";
    }
    return error.message();
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
            if (!missing.folder_link_loop) missing.unexaminable = why_unexaminable(stack.path);
            if (!missing.folder_link_loop && missing.unexaminable.empty() &&
                names_files(config.layout.folder_names)) {
                missing.file_missing = true;
                missing.image_path = stack.path.substr(0, stack.path.size() - 1);  // without "/"
            }
            return missing;
        }
        std::optional<MissingInput> missing =
            stack.multi_page ? missing_pages(&stack, config.layout.planes, config.images_per_stack)
                             : plain_choice_problem(stack, config.layout.planes);
        if (missing) {
            return missing;
        }
        if (!stack.multi_page) {
            missing = missing_in_folder(config.layout, &stack, config.images_per_stack);
        }
        if (missing) {
            return missing;
        }
        if (stacks != nullptr) {
            stacks->push_back(std::move(stack));
        }
    }
    return std::nullopt;
}

RunFailure missing_input_failure(const MissingInput& missing, const std::string& base_folder) {
    RunFailure failure;
    failure.kind = FailureKind::cannot_open;
    failure.subject = missing.image_path;
    std::string& lines = failure.diagnostic;
    if (missing.folder_link_loop) {
        lines = "bestfocus: the folder " + missing.folder_path + " is a loop of symbolic links\n";
    } else if (!missing.unexaminable.empty()) {
        lines = "bestfocus: the stack " + missing.folder_path +
                " cannot be examined: " + missing.unexaminable + "\n";
    } else if (missing.file_missing) {
        lines = "bestfocus: there is no file " + missing.image_path +
                " (a multi-page stack, named by --folder-names under the base folder \"" +
                base_folder + "\")\n";
    } else if (missing.folder_missing) {
        lines = "bestfocus: there is no folder " + missing.folder_path + " (the base folder \"" +
                base_folder +
                "\" is used as a prefix of the folder names, <base><NNN>/, and normally ends in "
                "\"/\")\n";
    }
    const std::string file = "bestfocus: " + missing.image_path;
    if (!missing.metadata_problem.empty()) {
        lines += file + ": " + missing.metadata_problem + "\n";
    }
    if (missing.pages_damaged && missing.pages_found == 0) {
        lines += file + " is damaged: its first page cannot be read\n";
    } else if (missing.pages_damaged) {
        lines += file + " is damaged: its chain of pages breaks after page " +
                 std::to_string(missing.pages_found) +
                 " (the next page is past the end of the file, seen before, or unreadable)\n";
    } else if (missing.pages_found >= 0) {
        lines += missing.pages_asked > 0 ? file + " holds " + std::to_string(missing.pages_found) +
                                               " pages, fewer than the " +
                                               std::to_string(missing.pages_asked) + " asked for\n"
                                         : file + " holds no page that can be read\n";
    }
    if (missing.images_present == 1) {
        lines += "bestfocus: folder " + folder_label(missing.folder_path) + " has only image " +
                 missing.first_image + "; pass 1, or 0 for every image there is\n";
    } else if (missing.images_present > 1) {
        lines += "bestfocus: folder " + folder_label(missing.folder_path) + " has images " +
                 missing.first_image + " to " + missing.last_present + "; pass " +
                 std::to_string(missing.images_present) + ", or 0 for every image there is\n";
    } else if (missing.images_present == 0 && !missing.folder_missing) {
        lines += "bestfocus: folder " + folder_label(missing.folder_path) + " has no image " +
                 missing.first_image + ", the first of a stack\n";
    }
    return failure;
}

std::string series_notices(const std::vector<StackSource>& stacks, const PlaneChoice& choice) {
    std::string lines;
    for (const StackSource& stack : stacks) {
        if (stack.microscope && stack.microscope->series_count > 1) {
            lines += "bestfocus: " + stack.path + " holds " +
                     std::to_string(stack.microscope->series_count) + " series; measuring series " +
                     std::to_string(choice.series) + ", as --series=N chooses\n";
        }
    }
    return lines;
}

}  // namespace bestfocus
