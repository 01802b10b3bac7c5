#include "stack_scan.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <mutex>

#include "focus_selection.h"
#include "stack_image_sizes.h"
#include "team_sizes.h"

namespace bestfocus {

namespace {

// The place of an image in the scan's order: folder, then image. A folder's own failure (images
// of mixed sizes) takes the place after its last image.
std::uint64_t scan_position(std::size_t folder_index, int image_slot) {
    return (static_cast<std::uint64_t>(folder_index) << 32) |
           static_cast<std::uint32_t>(image_slot);
}
constexpr int kAfterEveryImage = INT_MAX;

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

void scan_stack(const StackSource& stack, std::size_t folder_index, const StackLayout& layout,
                const Engine& engine, const std::vector<int>& methods, FolderScores* scores,
                FirstFailure* first_failure) {
    const int images = stack.images;
    scores->stack_path = stack.path;
    for (int image = 1; image <= images; ++image) {
        scores->images.push_back(image_location(stack, layout, image));
    }
    for (const int method : methods) {
        scores->methods.push_back(
            {method, std::vector<double>(static_cast<std::size_t>(images)), 1});
    }
    std::vector<ImageSize> sizes(static_cast<std::size_t>(images));
#pragma omp parallel for num_threads(N_threads_ext1) schedule(static)
    for (int slot = 0; slot < images; ++slot) {
        const std::uint64_t position = scan_position(folder_index, slot);
        if (!first_failure->is_before_any_failure(position)) {
            continue;
        }
        const ImageMeasurement measurement =
            measure_image(image_location(stack, layout, slot + 1), engine, methods, layout.region);
        if (!measurement.measured) {
            first_failure->record(position, {measurement.failure, measurement.diagnostic, 1});
            continue;
        }
        const std::size_t j = static_cast<std::size_t>(slot);
        for (std::size_t m = 0; m < methods.size(); ++m) {
            scores->methods[m].scores[j] = measurement.focus[m];
        }
        sizes[j] = {measurement.width, measurement.height};
    }
    const std::uint64_t after_images = scan_position(folder_index, kAfterEveryImage);
    if (!first_failure->is_before_any_failure(after_images)) {
        return;  // an image of this folder failed, or one of an earlier folder did
    }
    if (const std::optional<std::string> failure =
            mixed_sizes_failure(stack.path, sizes, image_names_in_messages(stack, layout))) {
        first_failure->record(after_images, {*failure, "", 1});
        return;
    }
    for (MethodScores& method : scores->methods) {
        method.best_number = best_image_number(method.scores);
    }
}

}  // namespace

ScanResults scan_stacks(const RunConfig& config, const std::vector<StackSource>& stacks,
                        const Engine& engine, const std::function<void()>& stack_done) {
    ScanResults results;
    results.folders.resize(stacks.size());
    FirstFailure first_failure;
    const long long count = static_cast<long long>(stacks.size());
#pragma omp parallel for num_threads(N_threads_ext2) schedule(static)
    for (long long i = 0; i < count; ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        if (!first_failure.is_before_any_failure(scan_position(index, 0))) {
            continue;
        }
        FolderScores& scores = results.folders[index];
        scores.folder = stacks[index].folder;
        scan_stack(stacks[index], index, config.layout, engine, config.methods, &scores,
                   &first_failure);
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
