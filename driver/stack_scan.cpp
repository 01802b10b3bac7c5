#include "stack_scan.h"

#include "fatal_exit.h"
#include "focus_selection.h"
#include "stack_image_sizes.h"
#include "stack_paths.h"
#include "team_sizes.h"

namespace {

void scan_folder(const std::string& folder, int images, const std::vector<MethodMeasure>& methods,
                 FolderScores* scores) {
    for (const MethodMeasure& method : methods) {
        scores->methods.push_back(
            {method.method, std::vector<double>(static_cast<std::size_t>(images)), 1});
    }
    std::vector<ImageSize> sizes(static_cast<std::size_t>(images));
#pragma omp parallel for num_threads(N_threads_ext1) schedule(static)
    for (int slot = 0; slot < images; ++slot) {
        const ImageMeasurement measurement = measure_image(image_path(folder, slot + 1), methods);
        if (!measurement.measured) {
            end_process_now(measurement.failure, 1, measurement.diagnostic);
        }
        const std::size_t j = static_cast<std::size_t>(slot);
        for (std::size_t m = 0; m < methods.size(); ++m) {
            scores->methods[m].scores[j] = measurement.focus[m];
        }
        sizes[j] = {measurement.width, measurement.height};
    }
    if (const std::optional<std::string> failure = mixed_sizes_failure(folder, sizes)) {
        end_process_now(*failure, 1);
    }
    for (MethodScores& method : scores->methods) {
        method.best_number = best_image_number(method.scores);
    }
}

}  // namespace

std::size_t folder_count(int first_folder, int last_folder) {
    if (last_folder < first_folder) {
        return 0;
    }
    return static_cast<std::size_t>(static_cast<long long>(last_folder) - first_folder + 1);
}

std::vector<FolderScores> scan_stacks(const RunConfig& config,
                                      const std::vector<MethodMeasure>& methods,
                                      Progress* progress) {
    std::vector<FolderScores> folders(folder_count(config.first_folder, config.last_folder));
    const long long count = static_cast<long long>(folders.size());
#pragma omp parallel for num_threads(N_threads_ext2) schedule(static)
    for (long long i = 0; i < count; ++i) {
        FolderScores& scores = folders[static_cast<std::size_t>(i)];
        scores.folder = static_cast<int>(config.first_folder + i);  // at most last_folder
        scan_folder(folder_path(config.base_folder, scores.folder), config.images_per_stack,
                    methods, &scores);
        if (progress != nullptr) {
            progress->stack_done();
        }
    }
    return folders;
}

std::vector<int> best_images(const std::vector<FolderScores>& folders, std::size_t method) {
    std::vector<int> picks;
    picks.reserve(folders.size());
    for (const FolderScores& folder : folders) {
        picks.push_back(folder.methods[method].best_number);
    }
    return picks;
}
