#include "disk_stacks.h"

#include <nanobind/stl/string.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <opencv2/core/utils/logger.hpp>
#include <stdexcept>

#include "english_errors.h"
#include "image_source.h"
#include "input_check.h"
#include "microscope_metadata.h"
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
    config.layout.planes = arguments.planes;
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

// Runs the configuration on a thread of its own while this one, the caller's, looks for signals
// (Ctrl-C) every tenth of a second: a signal's handler that raises stops the run before its next
// stack or image, and the handler's exception (KeyboardInterrupt) is raised here.
RunResults run_heeding_signals(const RunConfig& config) {
    std::atomic<bool> interrupted{false};
    RunListener listener;
    listener.keep_going = [&interrupted] { return !interrupted.load(); };
    RunResults run;
    {
        nb::gil_scoped_release unlocked;
        std::future<RunResults> running = std::async(
            std::launch::async, [&config, &listener] { return run_stacks(config, listener); });
        while (running.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
            nb::gil_scoped_acquire locked;
            if (!interrupted.load() && PyErr_CheckSignals() != 0) interrupted.store(true);
        }
        run = running.get();
    }
    if (interrupted.load()) throw nb::python_error();  // the handler's exception, still set
    return run;
}

}  // namespace

std::vector<FolderTuple> run_scan(const RunArguments& arguments) {
    const RunConfig config = run_config(arguments);
    const RunResults run = run_heeding_signals(config);
    switch (run.stop) {
        case RunStop::none: break;
        case RunStop::invalid_config:
            throw std::invalid_argument(problem_text(*run.problem, config));
        case RunStop::engine_unavailable: check_engine_possible(run.engine); break;
        case RunStop::missing_input:
            // Metadata against the file or the choice: the file is there, but unusable.
            if (!run.missing->metadata_problem.empty()) {
                throw std::invalid_argument(english_text(*run.failure));
            }
            throw MissingFileError(english_text(*run.failure));
        case RunStop::too_many_threads:
            throw std::invalid_argument(run.too_many_threads + "; give smaller teams");
        case RunStop::tile_tables_too_large:
            throw std::invalid_argument(run.tile_tables_too_large + "; give fewer tiles");
        case RunStop::by_listener:  // only after a signal, raised above
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
                                  const std::string& image_names, const PlaneChoice& planes) {
    RunConfig config;
    config.base_folder = path;  // the path itself: folder 0's name is empty
    config.layout.folder_names = "%.0d";
    config.layout.image_names = image_names;
    config.first_folder = config.last_folder = 0;
    config.images_per_stack = images;
    config.layout.planes = planes;
    check_config(config);
    std::vector<cv::Mat> pages;
    std::vector<StackSource> stacks;
    {
        nb::gil_scoped_release unlocked;
        check_stack_path(path);
        if (const std::optional<MissingInput> missing = first_missing_input(config, &stacks)) {
            const std::string text =
                english_text(missing_input_failure(*missing, config.base_folder));
            if (!missing->metadata_problem.empty()) throw std::invalid_argument(text);
            throw MissingFileError(text);
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

namespace {

nb::object length_or_none(const std::optional<double>& micrometres) {
    return micrometres ? nb::cast(*micrometres) : nb::none();
}

}  // namespace

nb::dict stack_info(const std::string& path, int series) {
    check_stack_path(path);
    FilePages pages;
    DescriptionReading reading;
    {
        nb::gil_scoped_release unlocked;
        pages = pages_of(path);
        if (pages.count > 0 && pages.description) {
            reading = read_microscope_description(
                pages.description->text, pages.count, path.substr(path.rfind('/') + 1),
                pages.description->x_resolution, pages.description->y_resolution);
        }
    }
    if (pages.count == 0) {
        throw std::invalid_argument(path + (pages.damaged ? " is damaged: its chain of pages breaks"
                                                          : " holds no image that can be read"));
    }
    if (!reading.problem.empty()) throw std::invalid_argument(path + ": " + reading.problem);
    MicroscopeSeries plain;
    plain.size_z = pages.count;
    plain.channel_names.resize(1);
    const std::size_t count = reading.metadata ? reading.metadata->series.size() : 1;
    if (series < 1 || static_cast<std::size_t>(series) > count) {
        throw std::invalid_argument(path + " holds " + std::to_string(count) +
                                    " series, not series " + std::to_string(series));
    }
    const MicroscopeSeries& chosen =
        reading.metadata ? reading.metadata->series[static_cast<std::size_t>(series - 1)] : plain;
    nb::dict info;
    info["kind"] = reading.metadata ? nb::cast(reading.metadata->kind) : nb::none();
    info["series"] = count;
    info["size_z"] = chosen.size_z;
    info["size_c"] = chosen.size_c;
    info["size_t"] = chosen.size_t;
    info["dimension_order"] = chosen.dimension_order;
    nb::list names;
    for (const std::string& name : chosen.channel_names) names.append(name);
    info["channel_names"] = names;
    info["physical_size_x"] = length_or_none(chosen.size_x_um);
    info["physical_size_y"] = length_or_none(chosen.size_y_um);
    info["physical_size_z"] = length_or_none(chosen.step_z_um);
    return info;
}

}  // namespace bestfocus::python
