#include "disk_stacks.h"

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <opencv2/core/utils/logger.hpp>
#include <stdexcept>

#include "command_line.h"
#include "input_check.h"
#include "measure_registry.h"
#include "missing_file_error.h"
#include "name_format.h"
#include "nested_teams.h"
#include "stack_image_sizes.h"
#include "stack_scan.h"
#include "team_sizes.h"

namespace nb = nanobind;

namespace bestfocus::python {

namespace {

// The team sizes are process-wide globals: one run at a time sets and restores them.
std::mutex team_sizes_mutex;

class TeamSizes {
  public:
    explicit TeamSizes(const Teams& teams)
        : saved_{N_threads_ext2, N_threads_ext1, N_threads}, lock_(team_sizes_mutex) {
        std::tie(N_threads_ext2, N_threads_ext1, N_threads) = teams;
    }
    ~TeamSizes() { std::tie(N_threads_ext2, N_threads_ext1, N_threads) = saved_; }

  private:
    Teams saved_;
    std::lock_guard<std::mutex> lock_;
};

// A failure's message without the executable's leading newline, and its diagnostic after it.
std::string failure_text(const RunFailure& failure) {
    std::string text = failure.message;
    if (!text.empty() && text.front() == '\n') text.erase(0, 1);
    std::string diagnostic = failure.diagnostic;
    while (!diagnostic.empty() && diagnostic.back() == '\n') diagnostic.pop_back();
    if (!diagnostic.empty()) text += (text.empty() ? "" : "\n") + diagnostic;
    return text;
}

void check_format(const std::string& option, const std::string& format) {
    if (const std::optional<std::string> problem = name_format_problem(format)) {
        throw std::invalid_argument(option + "=\"" + format + "\": " + *problem);
    }
}

// The command line's refusals that concern a run's values rather than its words.
void check_run(const RunArguments& arguments) {
    if (arguments.images < 0) throw std::invalid_argument("images must be 0 (all) or more");
    const auto [outer, inner, reduction] = arguments.teams;
    for (const int team : {outer, inner, reduction}) {
        if (team < 1 || team > kMostThreadsPerTeam) {
            throw std::invalid_argument("every team size must lie in 1.." +
                                        std::to_string(kMostThreadsPerTeam));
        }
    }
    check_format("folder_names", arguments.folder_names);
    check_format("image_names", arguments.image_names);
    if (arguments.first <= arguments.last) {
        if (const std::optional<int> folder = number_with_too_long_name(
                arguments.folder_names, arguments.first, arguments.last)) {
            throw std::invalid_argument("folder_names names folder " + std::to_string(*folder) +
                                        " with more bytes than a file name can hold");
        }
    }
    const int last_image = arguments.images > 0 ? arguments.images : INT_MAX;
    if (const std::optional<int> image =
            number_with_too_long_name(arguments.image_names, 1, last_image)) {
        throw std::invalid_argument("image_names names image " + std::to_string(*image) +
                                    " with more bytes than a file name can hold");
    }
}

RunConfig run_config(const RunArguments& arguments) {
    RunConfig config;
    config.methods = arguments.methods;
    config.engine = static_cast<EngineChoice>(arguments.engine_choice);
    config.base_folder = arguments.base_folder;
    config.first_folder = arguments.first;
    config.last_folder = arguments.last;
    config.images_per_stack = arguments.images;
    config.layout.folder_names = arguments.folder_names;
    config.layout.image_names = arguments.image_names;
    if (arguments.region) {
        const auto [x, y, width, height] = *arguments.region;
        config.layout.region = RegionOfInterest{x, y, width, height};
    }
    return config;
}

// The stacks of the run, counted, or the executable's failure for the first missing input.
std::vector<StackSource> present_stacks(const RunConfig& config) {
    std::vector<StackSource> stacks;
    if (const std::optional<MissingInput> missing = first_missing_input(config, &stacks)) {
        throw MissingFileError(failure_text(missing_input_failure(*missing, config.base_folder)));
    }
    return stacks;
}

long long images_in_run(const std::vector<StackSource>& stacks) {
    long long images = 0;
    for (const StackSource& stack : stacks) images += stack.images;
    return images;
}

// Our messages name an unreadable image; OpenCV's would only repeat them.
void silence_decoders() { cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT); }

}  // namespace

std::vector<FolderTuple> run_scan(const RunArguments& arguments) {
    check_run(arguments);
    const RunConfig config = run_config(arguments);
    ScanResults scan;
    {
        nb::gil_scoped_release unlocked;
        const EngineDecision engine = choose_engine(config.engine);
        if (!engine.possible) {
            throw std::runtime_error("engine='cuda' needs a CUDA device, but " + engine.reason);
        }
        const std::vector<StackSource> stacks = present_stacks(config);
        silence_decoders();
        const std::unique_ptr<Engine> measuring = make_engine(engine.engine, images_in_run(stacks));
        const TeamSizes teams(arguments.teams);
        allow_nested_teams();
        scan = scan_stacks(config, stacks, *measuring);
    }
    if (scan.failure) throw std::invalid_argument(failure_text(*scan.failure));
    std::vector<FolderTuple> folders;
    for (const FolderScores& folder : scan.folders) {
        folders.emplace_back(folder.folder, picks_of_folder(folder), score_matrix(folder));
    }
    return folders;
}

nb::ndarray<nb::numpy> read_stack(const std::string& path, int images,
                                  const std::string& image_names) {
    if (images < 0) throw std::invalid_argument("images must be 0 (all) or more");
    check_format("image_names", image_names);
    RunConfig config;
    config.base_folder = path;  // the path itself: folder 0's name is empty
    config.layout.folder_names = "%.0d";
    config.layout.image_names = image_names;
    config.first_folder = config.last_folder = 0;
    config.images_per_stack = images;
    std::vector<cv::Mat> pages;
    StackSource stack;
    {
        nb::gil_scoped_release unlocked;
        stack = present_stacks(config).front();
        silence_decoders();
        for (int image = 1; image <= stack.images; ++image) {
            const ImageLocation location = image_location(stack, config.layout, image);
            cv::Mat pixels = decode_at_depth(location);
            if (pixels.empty()) {
                throw std::invalid_argument("No se puede abrir el archivo: " + described(location));
            }
            if (pixels.depth() != CV_8U && pixels.depth() != CV_16U) {
                throw std::invalid_argument(described(location) + " holds " +
                                            depth_name(pixels.depth()) +
                                            " pixels; only 8- and 16-bit integers are measured");
            }
            pages.push_back(std::move(pixels));
        }
    }
    std::vector<ImageSize> sizes;
    for (const cv::Mat& page : pages) sizes.push_back({page.cols, page.rows});
    if (const std::optional<std::string> mixed =
            mixed_sizes_failure(stack.path, sizes, image_names_in_messages(stack, config.layout))) {
        throw std::invalid_argument(failure_text({*mixed, "", 1}));
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
