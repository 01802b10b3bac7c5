#include "disk_stacks.h"

#include <nanobind/stl/string.h>

#include <cstring>
#include <opencv2/core/utils/logger.hpp>
#include <stdexcept>

#include "english_errors.h"
#include "input_check.h"
#include "missing_file_error.h"
#include "run.h"
#include "stack_image_sizes.h"
#include "stack_path.h"

namespace nb = nanobind;

namespace bestfocus::python {

namespace {

RegionOfInterest region_of(const Region& region) {
    const auto [x, y, width, height] = region;
    return {x, y, width, height};
}

RunConfig run_config(const RunArguments& arguments) {
    RunConfig config;
    config.methods = arguments.methods;
    config.engine = engine_by_name(arguments.engine);
    config.base_folder = arguments.base_folder;
    config.first_folder = arguments.first;
    config.last_folder = arguments.last;
    config.images_per_stack = arguments.images;
    config.layout.folder_names = arguments.folder_names;
    config.layout.image_names = arguments.image_names;
    if (arguments.region) config.layout.region = region_of(*arguments.region);
    std::tie(config.teams.threads_ext2, config.teams.threads_ext1, config.teams.threads) =
        arguments.teams;
    return config;
}

void check_config(const RunConfig& config) {
    if (const std::optional<RunProblem> problem = run_config_problem(config)) {
        throw std::invalid_argument(problem_text(*problem, config));
    }
}

// Our messages name an unreadable image; OpenCV's would only repeat them.
void silence_decoders() { cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT); }

}  // namespace

std::vector<FolderTuple> run_scan(const RunArguments& arguments) {
    const RunConfig config = run_config(arguments);
    RunResults run;
    {
        nb::gil_scoped_release unlocked;
        run = run_stacks(config);
    }
    switch (run.stop) {
        case RunStop::none: break;
        case RunStop::invalid_config:
            throw std::invalid_argument(problem_text(*run.problem, config));
        case RunStop::engine_unavailable: check_engine_possible(run.engine); break;
        case RunStop::missing_input: throw MissingFileError(english_text(*run.failure));
        case RunStop::too_many_threads:
            throw std::invalid_argument(run.too_many_threads + "; give smaller teams");
        case RunStop::by_listener:  // no listener here
        case RunStop::scan_failed: throw std::invalid_argument(english_text(*run.failure));
    }
    std::vector<FolderTuple> folders;
    for (const FolderScores& folder : run.folders) {
        folders.emplace_back(folder.folder, picks_of_folder(folder), score_matrix(folder));
    }
    return folders;
}

nb::dict run_defaults() {
    const RunConfig defaults;
    nb::dict values;
    values["folder_names"] = defaults.layout.folder_names;
    values["image_names"] = defaults.layout.image_names;
    values["teams"] = nb::make_tuple(defaults.teams.threads_ext2, defaults.teams.threads_ext1,
                                     defaults.teams.threads);
    return values;
}

std::optional<std::string> region_problem(const Region& region, const std::vector<int>& methods) {
    RunConfig config;
    config.methods = methods;
    config.layout.region = region_of(region);
    const std::optional<RunProblem> problem = run_config_problem(config);
    if (!problem) return std::nullopt;
    return problem_text(*problem, config);
}

nb::ndarray<nb::numpy> read_stack(const std::string& path, int images,
                                  const std::string& image_names) {
    RunConfig config;
    config.base_folder = path;  // the path itself: folder 0's name is empty
    config.layout.folder_names = "%.0d";
    config.layout.image_names = image_names;
    config.first_folder = config.last_folder = 0;
    config.images_per_stack = images;
    check_config(config);
    std::vector<cv::Mat> pages;
    std::vector<StackSource> stacks;
    {
        nb::gil_scoped_release unlocked;
        check_stack_path(path);
        if (const std::optional<MissingInput> missing = first_missing_input(config, &stacks)) {
            throw MissingFileError(
                english_text(missing_input_failure(*missing, config.base_folder)));
        }
        silence_decoders();
        for (int image = 1; image <= stacks.front().images; ++image) {
            const ImageLocation location = image_location(stacks.front(), config.layout, image);
            cv::Mat pixels = decode_at_depth(location);
            if (pixels.empty()) {
                throw std::invalid_argument("cannot decode " + described(location) +
                                            " as an image");
            }
            if (pixels.depth() != CV_8U && pixels.depth() != CV_16U) {
                throw std::invalid_argument(described(location) + " holds " +
                                            depth_name(pixels.depth()) +
                                            " pixels; only 8- and 16-bit integers are measured");
            }
            pages.push_back(std::move(pixels));
        }
    }
    const StackSource& stack = stacks.front();
    std::vector<ImageSize> sizes;
    for (const cv::Mat& page : pages) sizes.push_back({page.cols, page.rows});
    if (const std::optional<MixedSizes> mixed =
            mixed_sizes(sizes, image_names_in_messages(stack, config.layout))) {
        throw std::invalid_argument(english_text(mixed_sizes_failure(stack.path, *mixed)));
    }
    const cv::Mat& first = pages.front();
    const bool wide = first.depth() == CV_16U;
    if (pages.size() > 1) {
        for (const cv::Mat& page : pages) {
            if (page.depth() != first.depth()) {
                throw std::invalid_argument(stack.path + " mixes 8- and 16-bit images");
            }
        }
    }
    const std::size_t page_bytes = first.total() * first.elemSize();
    auto* owned = new std::vector<unsigned char>(page_bytes * pages.size());
    nb::capsule owner(owned,
                      [](void* p) noexcept { delete static_cast<std::vector<unsigned char>*>(p); });
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const cv::Mat continuous = pages[i].isContinuous() ? pages[i] : pages[i].clone();
        std::memcpy(owned->data() + i * page_bytes, continuous.data, page_bytes);
    }
    return nb::ndarray<nb::numpy>(
        owned->data(),
        {pages.size(), static_cast<std::size_t>(first.rows), static_cast<std::size_t>(first.cols)},
        owner, {}, wide ? nb::dtype<std::uint16_t>() : nb::dtype<std::uint8_t>());
}

}  // namespace bestfocus::python
