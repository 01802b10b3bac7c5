// bestfocus: picks the sharpest image of every focus stack in a numbered range of folders and
// writes the picks and the elapsed time to a report file in the working directory.
#include <omp.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <opencv2/core/utils/logger.hpp>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "default_base_folder.h"
#include "engine_choice.h"
#include "failure_output.h"
#include "input_check.h"
#include "output_check.h"
#include "progress.h"
#include "run_outputs.h"
#include "stack_scan.h"
#include "version_text.h"

using namespace bestfocus;

namespace {

// Images in the whole run: the engine splits an image that is the whole job over threads.
long long images_in_run(const std::vector<StackSource>& stacks) {
    long long images = 0;
    for (const StackSource& stack : stacks) images += stack.images;
    return images;
}

// Images per stack on average, for the progress line's rate.
long long mean_images(const std::vector<StackSource>& stacks) {
    return stacks.empty() ? 0 : images_in_run(stacks) / static_cast<long long>(stacks.size());
}

}  // namespace

int main(int argc, char** argv) {
    // A reader of standard output that has gone away must not end the run by SIGPIPE: the report
    // is still written, and the exit status still tells how the run went.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string default_base = default_base_folder();
    const CommandLine command_line = parse_command_line(argc, argv, default_base);
    switch (command_line.action) {
        case CommandLineAction::show_usage:
            std::fputs(usage_text(default_base).c_str(), stdout);
            return 0;
        case CommandLineAction::show_version: std::fputs(version_text().c_str(), stdout); return 0;
        case CommandLineAction::refuse:
            return show_refusal(command_line.refusal, command_line.english,
                                usage_text(default_base));
        case CommandLineAction::run: break;
    }
    const RunConfig& config = command_line.config;
    const EngineDecision engine = choose_engine(config.engine);
    if (!engine.possible) {
        std::fprintf(stderr, "bestfocus: --engine=cuda needs a CUDA device, but %s\n",
                     engine.reason.c_str());
        return 1;
    }
    if (engine.fell_back && !config.quiet) {
        std::fprintf(stderr, "bestfocus: no CUDA device (%s); measuring with the CPU engine\n",
                     engine.reason.c_str());
    }
    // Before anything is allocated for the folders: a run that cannot succeed stops here.
    std::vector<StackSource> stacks;
    if (const std::optional<MissingInput> missing = first_missing_input(config, &stacks)) {
        return show_failure(missing_input_failure(*missing, config.base_folder));
    }
    if (const std::string refusal = output_refusal(config, stacks); !refusal.empty()) {
        return show_refusal(refusal, refusal.substr(refusal.find_first_not_of('\n')) + "\n",
                            usage_text(default_base));
    }
    // Our own messages name an unreadable image; OpenCV's would only repeat them, in English.
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);

    const std::unique_ptr<Engine> measuring = make_engine(engine.engine, images_in_run(stacks));
    Progress progress(progress_mode(config.quiet, config.progress, isatty(STDERR_FILENO) == 1),
                      static_cast<long long>(stacks.size()), mean_images(stacks));
    const auto start = std::chrono::steady_clock::now();
    // The inner teams and the measures' reduction teams run nested inside the outer team.
    omp_set_max_active_levels(omp_get_supported_active_levels());
    const ScanResults scan =
        scan_stacks(config, stacks, *measuring, [&progress] { progress.stack_done(); });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    progress.finish();
    if (scan.failure && scan.failure->status == 2) {  // tiles the images cannot take
        const std::string& refusal = scan.failure->message;
        return show_refusal(refusal, refusal.substr(refusal.find_first_not_of('\n')) + "\n",
                            usage_text(default_base));
    }
    if (scan.failure) {
        return show_failure(*scan.failure);
    }
    const std::vector<FolderScores>& folders = scan.folders;

    std::printf("\n%lf\n", seconds);
    const int status =
        write_run_outputs(config, folders, seconds, engine_description(engine.engine));
    if (!config.quiet) {
        std::fputs(flagged_folder_lines(folders).c_str(), stderr);
    }
    return status;
}
