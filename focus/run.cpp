#include "run.h"

#include <omp.h>

#include <chrono>
#include <memory>
#include <opencv2/core/utils/logger.hpp>

#include "decoding_memory.h"
#include "run_teams.h"
#include "stack_scan.h"
#include "thread_budget.h"
#include "tile_memory.h"

namespace bestfocus {

RunResults run_stacks(const RunConfig& config, const RunListener& listener) {
    RunResults results;
    results.problem = run_config_problem(config);
    if (results.problem) {
        results.stop = RunStop::invalid_config;
        return results;
    }
    results.engine = choose_engine(config.engine);
    if (!results.engine.possible) {
        results.stop = RunStop::engine_unavailable;
        return results;
    }
    if (listener.engine_chosen) listener.engine_chosen(results.engine);
    // Before anything is allocated for the folders: a run that cannot succeed stops here.
    results.missing = first_missing_input(config, &results.stacks);
    if (results.missing) {
        results.stop = RunStop::missing_input;
        results.failure = missing_input_failure(*results.missing, config.base_folder);
        return results;
    }
    const TeamSizes& sizes = config.teams;
    const long long threads =
        threads_at_once(sizes, results.engine.engine, results.stacks, omp_get_num_procs());
    if (const std::optional<std::string> limit =
            thread_limit_problem(threads, current_thread_limits())) {
        results.stop = RunStop::too_many_threads;
        results.too_many_threads = "teams of " + std::to_string(sizes.threads_ext2) + " x " +
                                   std::to_string(sizes.threads_ext1) + " x " +
                                   std::to_string(sizes.threads) + " would have up to " +
                                   std::to_string(threads) + " threads at once, but " + *limit;
        return results;
    }
    if (std::optional<std::string> tables =
            tile_memory_problem(config, results.stacks, memory_for_images())) {
        results.stop = RunStop::tile_tables_too_large;
        results.tile_tables_too_large = std::move(*tables);
        return results;
    }
    if (listener.inputs_checked && !listener.inputs_checked(results.stacks)) {
        results.stop = RunStop::by_listener;
        return results;
    }
    // Our own messages name an unreadable image; OpenCV's would only repeat them, in English.
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
    // The engine splits an image that is the whole job over threads.
    const std::unique_ptr<Engine> engine =
        make_engine(results.engine.engine, images_in_run(results.stacks), config.teams.threads);
    const RunTeams teams(config.teams);
    const auto start = std::chrono::steady_clock::now();
    allow_nested_teams();
    ScanResults scan =
        scan_stacks(config, results.stacks, *engine, listener.stack_done, listener.keep_going);
    results.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (listener.keep_going && !listener.keep_going()) {
        results.stop = RunStop::by_listener;
    } else if (scan.failure) {
        results.stop = RunStop::scan_failed;
        results.failure = std::move(scan.failure);
    } else {
        results.folders = std::move(scan.folders);
    }
    return results;
}

long long images_in_run(const std::vector<StackSource>& stacks) {
    long long images = 0;
    for (const StackSource& stack : stacks) images += stack.images;
    return images;
}

}  // namespace bestfocus
