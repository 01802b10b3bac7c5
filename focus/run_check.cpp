#include "run_check.h"

#include <algorithm>
#include <climits>

#include "measure_registry.h"
#include "name_format.h"

namespace bestfocus {

namespace {

std::optional<RunProblem> methods_problem(const std::vector<int>& methods) {
    const std::string codes = "codes 1 to " + std::to_string(measure_registry().size());
    if (methods.empty()) {
        return RunProblem{RunSetting::methods, "must name at least one method"};
    }
    for (auto code = methods.begin(); code != methods.end(); ++code) {
        if (find_measure(*code) == nullptr) {
            return RunProblem{RunSetting::methods, "holds " + std::to_string(*code) +
                                                       ", not a measure's code (" + codes + ")"};
        }
        if (std::find(methods.begin(), code, *code) != code) {
            return RunProblem{RunSetting::methods,
                              "names method " + std::to_string(*code) + " twice"};
        }
    }
    return std::nullopt;
}

std::optional<RunProblem> number_problem(RunSetting setting, int value, int minimum, int maximum) {
    if (value >= minimum && value <= maximum) {
        return std::nullopt;
    }
    const std::string rule = maximum == INT_MAX ? "must be " + std::to_string(minimum) + " or more"
                                                : "must lie in " + std::to_string(minimum) + ".." +
                                                      std::to_string(maximum);
    return RunProblem{setting, rule + ", not " + std::to_string(value), minimum, maximum};
}

// A format that cannot name the run's numbers: unchecked, or a name longer than a file name can be.
std::optional<RunProblem> names_problem(RunSetting setting, const std::string& format, int first,
                                        int last) {
    if (const std::optional<std::string> problem = name_format_problem(format)) {
        return RunProblem{setting, "is not a name format: " + *problem};
    }
    if (first > last) {
        return std::nullopt;
    }
    if (const std::optional<int> number = number_with_too_long_name(format, first, last)) {
        return RunProblem{setting,
                          std::string("names ") +
                              (setting == RunSetting::folder_names ? "folder " : "image ") +
                              std::to_string(*number) + " with more than " +
                              std::to_string(kLongestFileName) + " bytes, a file name's limit"};
    }
    return std::nullopt;
}

// A region outside the images' corner, empty, or smaller than some method's window (whose value
// would be 0 on every image).
std::optional<RunProblem> region_problem(const RegionOfInterest& region,
                                         const std::vector<int>& methods) {
    const std::string size = std::to_string(region.width) + " x " + std::to_string(region.height);
    if (region.x < 0 || region.y < 0 || region.width < 1 || region.height < 1) {
        return RunProblem{RunSetting::region, "at " + std::to_string(region.x) + ", " +
                                                  std::to_string(region.y) + " of " + size +
                                                  " must have x, y >= 0 and width, height >= 1"};
    }
    for (const int code : methods) {
        const MeasureEntry& measure = *find_measure(code);
        const RegionSize smallest = smallest_measured_size(measure);
        if (region.width < smallest.width || region.height < smallest.height) {
            return RunProblem{RunSetting::region,
                              size + " is smaller than the window of " + measure.long_name +
                                  ", which needs at least " + std::to_string(smallest.width) +
                                  " x " + std::to_string(smallest.height) + " pixels"};
        }
        if (!measure_can_score(measure, region.width, region.height)) {
            return RunProblem{RunSetting::region,
                              size + " is too small for " + measure.long_name +
                                  ", which scores 0 on every image of that size"};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<RunProblem> run_config_problem(const RunConfig& config) {
    if (auto problem = methods_problem(config.methods)) return problem;
    const TeamSizes& teams = config.teams;
    for (const std::optional<RunProblem>& problem : {
             number_problem(RunSetting::first_folder, config.first_folder, 0, INT_MAX),
             number_problem(RunSetting::last_folder, config.last_folder, config.first_folder,
                            INT_MAX),
             number_problem(RunSetting::images_per_stack, config.images_per_stack, 0, INT_MAX),
             number_problem(RunSetting::threads_ext2, teams.threads_ext2, 1, kMostThreadsPerTeam),
             number_problem(RunSetting::threads_ext1, teams.threads_ext1, 1, kMostThreadsPerTeam),
             number_problem(RunSetting::threads, teams.threads, 1, kMostThreadsPerTeam),
         }) {
        if (problem) return problem;
    }
    const StackLayout& layout = config.layout;
    if (auto problem = names_problem(RunSetting::folder_names, layout.folder_names,
                                     config.first_folder, config.last_folder)) {
        return problem;
    }
    // With every image there is, the count is not known yet: the largest it could be.
    const int last_image = config.images_per_stack > 0 ? config.images_per_stack : INT_MAX;
    if (auto problem = names_problem(RunSetting::image_names, layout.image_names, 1, last_image)) {
        return problem;
    }
    if (layout.region) return region_problem(*layout.region, config.methods);
    return std::nullopt;
}

}  // namespace bestfocus
