#include "stack_scan.h"

#include "fatal_exit.h"
#include "focus_selection.h"
#include "stack_image_sizes.h"
#include "team_sizes.h"

namespace {

void scan_stack(const StackSource& stack, const StackLayout& layout,
                const std::vector<MethodMeasure>& methods, bestfocus::FolderScores* scores) {
    const int images = stack.images;
    scores->stack_path = stack.path;
    for (int image = 1; image <= images; ++image) {
        scores->images.push_back(image_location(stack, layout, image));
    }
    for (const MethodMeasure& method : methods) {
        scores->methods.push_back(
            {method.method, std::vector<double>(static_cast<std::size_t>(images)), 1});
    }
    std::vector<ImageSize> sizes(static_cast<std::size_t>(images));
#pragma omp parallel for num_threads(N_threads_ext1) schedule(static)
    for (int slot = 0; slot < images; ++slot) {
        const ImageMeasurement measurement =
            measure_image(image_location(stack, layout, slot + 1), methods, layout.region);
        if (!measurement.measured) {
            end_process_now(measurement.failure, 1, measurement.diagnostic);
        }
        const std::size_t j = static_cast<std::size_t>(slot);
        for (std::size_t m = 0; m < methods.size(); ++m) {
            scores->methods[m].scores[j] = measurement.focus[m];
        }
        sizes[j] = {measurement.width, measurement.height};
    }
    if (const std::optional<std::string> failure =
            mixed_sizes_failure(stack.path, sizes, image_names_in_messages(stack, layout))) {
        end_process_now(*failure, 1);
    }
    for (bestfocus::MethodScores& method : scores->methods) {
        method.best_number = best_image_number(method.scores);
    }
}

}  // namespace

std::vector<bestfocus::FolderScores> scan_stacks(const RunConfig& config,
                                                 const std::vector<StackSource>& stacks,
                                                 const std::vector<MethodMeasure>& methods,
                                                 Progress* progress) {
    std::vector<bestfocus::FolderScores> folders(stacks.size());
    const long long count = static_cast<long long>(folders.size());
#pragma omp parallel for num_threads(N_threads_ext2) schedule(static)
    for (long long i = 0; i < count; ++i) {
        bestfocus::FolderScores& scores = folders[static_cast<std::size_t>(i)];
        const StackSource& stack = stacks[static_cast<std::size_t>(i)];
        scores.folder = stack.folder;
        scan_stack(stack, config.layout, methods, &scores);
        if (progress != nullptr) {
            progress->stack_done();
        }
    }
    return folders;
}

std::vector<int> best_images(const std::vector<bestfocus::FolderScores>& folders,
                             std::size_t method) {
    std::vector<int> picks;
    picks.reserve(folders.size());
    for (const bestfocus::FolderScores& folder : folders) {
        picks.push_back(folder.methods[method].best_number);
    }
    return picks;
}
