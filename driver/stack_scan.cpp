#include "stack_scan.h"

#include "fatal_exit.h"
#include "focus_selection.h"
#include "image_measure.h"
#include "stack_image_sizes.h"
#include "stack_paths.h"
#include "team_sizes.h"

namespace {

int best_image_of_folder(const std::string& folder, int images, PlainMeasure measure) {
    std::vector<double> focus(static_cast<std::size_t>(images));
    std::vector<ImageSize> sizes(static_cast<std::size_t>(images));
#pragma omp parallel for num_threads(N_threads_ext1) schedule(static)
    for (int slot = 0; slot < images; ++slot) {
        const ImageMeasurement measurement =
            measure_image(image_path(folder, slot + 1), measure, N_threads);
        if (!measurement.measured) {
            end_process_now(measurement.failure, 1, measurement.diagnostic);
        }
        focus[static_cast<std::size_t>(slot)] = measurement.focus;
        sizes[static_cast<std::size_t>(slot)] = {measurement.width, measurement.height};
    }
    if (const std::optional<std::string> failure = mixed_sizes_failure(folder, sizes)) {
        end_process_now(*failure, 1);
    }
    return best_image_number(focus);
}

}  // namespace

std::size_t folder_count(int first_folder, int last_folder) {
    if (last_folder < first_folder) {
        return 0;
    }
    return static_cast<std::size_t>(static_cast<long long>(last_folder) - first_folder + 1);
}

void scan_stacks(const RunConfig& config, PlainMeasure measure, std::vector<int>& best_images) {
    const long long folders = static_cast<long long>(best_images.size());
#pragma omp parallel for num_threads(N_threads_ext2) schedule(static)
    for (long long i = 0; i < folders; ++i) {
        const int folder = static_cast<int>(config.first_folder + i);  // at most last_folder
        best_images[static_cast<std::size_t>(i)] = best_image_of_folder(
            folder_path(config.base_folder, folder), config.images_per_stack, measure);
    }
}
