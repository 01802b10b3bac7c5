#include "stack_scan.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <mutex>
#include <new>

#include "focus_selection.h"
#include "name_format.h"
#include "stack_image_sizes.h"

namespace bestfocus {

namespace {

// The place of an image in the scan's order: folder, then image. A folder's own failure (images
// of mixed sizes) takes the place after its last image.
std::uint64_t scan_position(std::size_t folder_index, int image_slot) {
    return (static_cast<std::uint64_t>(folder_index) << 32) |
           static_cast<std::uint32_t>(image_slot);
}
constexpr int kAfterEveryImage = INT_MAX;

// Scores of 8- and 16-bit images are not comparable (16-bit samples are measured as value / 65535),
// and no all-in-focus image or page can hold both: a stack mixing them is refused whole, as one of
// mixed sizes is. Nothing when every image has the depth of the first.
std::optional<std::string> mixed_depths_failure(const std::string& folder,
                                                const std::vector<char>& sixteen_bit,
                                                const std::string& image_names) {
    for (std::size_t j = 1; j < sixteen_bit.size(); ++j) {
        if (sixteen_bit[j] != sixteen_bit[0]) {
            const auto depth = [](bool sixteen) { return sixteen ? "16-bit" : "8-bit"; };
            return "bestfocus: the images of the folder " + folder +
                   " mix 8- and 16-bit pixels: " + formatted_name(image_names, 1) + " is " +
                   depth(sixteen_bit[0]) + ", " +
                   formatted_name(image_names, static_cast<int>(j) + 1) + " " +
                   depth(sixteen_bit[j]) + "; a stack must be of one depth\n";
        }
    }
    return std::nullopt;
}

std::string out_of_memory_line(const std::string& what) {
    return "bestfocus: not enough memory for " + what + "\n";
}

// The earliest failure the teams have met so far. Work after it is skipped; work before it goes
// on, since it may fail earlier still.
class FirstFailure {
  public:
    bool is_before_any_failure(std::uint64_t position) const {
        return position < earliest_.load(std::memory_order_relaxed);
    }

    void record(std::uint64_t position, RunFailure failure) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (position < earliest_.load(std::memory_order_relaxed)) {
            earliest_.store(position, std::memory_order_relaxed);
            failure_ = std::move(failure);
        }
    }

    std::optional<RunFailure> take() { return std::move(failure_); }

  private:
    std::atomic<std::uint64_t> earliest_{UINT64_MAX};
    std::mutex mutex_;
    std::optional<RunFailure> failure_;
};

// The tiles' values of every image (tile t under method m at t · methods + m) as each method's
// tile curves.
void keep_tile_scores(const std::vector<std::vector<double>>& tile_focus, FolderScores* scores) {
    const std::size_t methods = scores->methods.size();
    const std::size_t tiles = static_cast<std::size_t>(scores->tiles.count());
    for (std::size_t m = 0; m < methods; ++m) {
        std::vector<std::vector<double>>& curves = scores->methods[m].tile_scores;
        curves.assign(tiles, std::vector<double>(tile_focus.size()));
        for (std::size_t t = 0; t < tiles; ++t) {
            for (std::size_t image = 0; image < tile_focus.size(); ++image) {
                curves[t][image] = tile_focus[image][t * methods + m];
            }
        }
    }
}

void scan_stack(const StackSource& stack, std::size_t folder_index, const RunConfig& config,
                const Engine& engine, const std::function<bool()>& keep_going, FolderScores* scores,
                FirstFailure* first_failure) {
    const StackLayout& layout = config.layout;
    const std::vector<int>& methods = config.methods;
    const int images = stack.images;

    scores->stack_path = stack.path;
    scores->microscope = stack.microscope;
    for (int image = 1; image <= images; ++image) {
        scores->images.push_back(image_location(stack, layout, image));
    }
    for (const int method : methods) {
        scores->methods.push_back(
            {method, std::vector<double>(static_cast<std::size_t>(images)), 1});
    }
    // Each image's tiles, until every image is measured: how many tiles there are is known to
    // fit the images only once they are.
    std::vector<std::vector<double>> tile_focus(static_cast<std::size_t>(images));
    std::vector<ImageSize> sizes(static_cast<std::size_t>(images));
    std::vector<char> sixteen_bit(static_cast<std::size_t>(images));
#pragma omp parallel for num_threads(config.teams.threads_ext1) schedule(static)
    for (int slot = 0; slot < images; ++slot) {
        const std::uint64_t position = scan_position(folder_index, slot);
        if (!first_failure->is_before_any_failure(position) || (keep_going && !keep_going())) {
            continue;
        }
        const ImageLocation location = image_location(stack, layout, slot + 1);
        ImageMeasurement measurement;
        // No exception may leave a team's loop: it would end the process without a word.
        try {
            measurement = measure_image(location, engine, methods, layout.region, config.tiles);
        } catch (const std::bad_alloc&) {
            measurement.failure =
                diagnostic_failure(out_of_memory_line("measuring " + location.file));
        }
        if (!measurement.measured) {
            first_failure->record(position, std::move(measurement.failure));
            continue;
        }
        const std::size_t j = static_cast<std::size_t>(slot);
        for (std::size_t m = 0; m < methods.size(); ++m) {
            scores->methods[m].scores[j] = measurement.focus[m];
        }
        tile_focus[j] = std::move(measurement.tile_focus);
        sizes[j] = {measurement.width, measurement.height};
        sixteen_bit[j] = measurement.sixteen_bit;
    }
    const std::uint64_t after_images = scan_position(folder_index, kAfterEveryImage);
    if (!first_failure->is_before_any_failure(after_images)) {
        return;  // an image of this folder failed, or one of an earlier folder did
    }
    if (const std::optional<MixedSizes> mixed =
            mixed_sizes(sizes, image_names_in_messages(stack, layout))) {
        first_failure->record(after_images, mixed_sizes_failure(stack.path, *mixed));
        return;
    }
    if (const std::optional<std::string> failure =
            mixed_depths_failure(stack.path, sixteen_bit, image_names_in_messages(stack, layout))) {
        first_failure->record(after_images, diagnostic_failure(*failure));
        return;
    }
    for (MethodScores& method : scores->methods) {
        method.best_number = best_image_number(method.scores);
    }
    if ((config.tiles || pixel_maps_asked(config.outputs)) && images > 0) {
        scores->image_width = sizes[0].width;
        scores->image_height = sizes[0].height;
        scores->area = layout.region ? *layout.region
                                     : RegionOfInterest{0, 0, sizes[0].width, sizes[0].height};
    }
    if (config.tiles && images > 0) {
        scores->tiles = *config.tiles;
        keep_tile_scores(tile_focus, scores);
    }
}

}  // namespace

ScanResults scan_stacks(const RunConfig& config, const std::vector<StackSource>& stacks,
                        const Engine& engine, const std::function<void()>& stack_done,
                        const std::function<bool()>& keep_going) {
    ScanResults results;
    results.folders.resize(stacks.size());
    FirstFailure first_failure;
    const long long count = static_cast<long long>(stacks.size());
#pragma omp parallel for num_threads(config.teams.threads_ext2) schedule(static)
    for (long long i = 0; i < count; ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        if (!first_failure.is_before_any_failure(scan_position(index, 0)) ||
            (keep_going && !keep_going())) {
            continue;
        }
        FolderScores& scores = results.folders[index];
        scores.folder = stacks[index].folder;
        try {
            scan_stack(stacks[index], index, config, engine, keep_going, &scores, &first_failure);
        } catch (const std::bad_alloc&) {
            first_failure.record(scan_position(index, kAfterEveryImage),
                                 diagnostic_failure(out_of_memory_line("keeping the scores of " +
                                                                       stacks[index].path)));
        }
        if (stack_done) {
            stack_done();
        }
    }
    results.failure = first_failure.take();
    return results;
}

std::vector<int> best_images(const std::vector<FolderScores>& folders, std::size_t method) {
    std::vector<int> picks;
    picks.reserve(folders.size());
    for (const FolderScores& folder : folders) {
        picks.push_back(folder.methods[method].best_number);
    }
    return picks;
}

}  // namespace bestfocus
