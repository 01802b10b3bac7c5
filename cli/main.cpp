// bestfocus: picks the sharpest image of every focus stack in a numbered range of folders and
// writes the picks and the elapsed time to a report file in the working directory.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "decoding_memory.h"
#include "default_base_folder.h"
#include "failure_output.h"
#include "output_check.h"
#include "progress.h"
#include "run.h"
#include "run_outputs.h"
#include "version_text.h"

using namespace bestfocus;

namespace {

// Images per stack on average, for the progress line's rate.
long long mean_images(const std::vector<StackSource>& stacks) {
    return stacks.empty() ? 0 : images_in_run(stacks) / static_cast<long long>(stacks.size());
}

}  // namespace

int run_main(int argc, char** argv) {
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
        case CommandLineAction::checked: return 0;
        case CommandLineAction::run: break;
    }
    const RunConfig& config = command_line.config;
    std::optional<Progress> progress;
    std::string output_problem;
    RunListener listener;
    listener.engine_chosen = [&config](const EngineDecision& engine) {
        if (engine.fell_back && !config.quiet) {
            std::fprintf(stderr, "bestfocus: no CUDA device (%s); measuring with the CPU engine\n",
                         engine.reason.c_str());
        }
    };
    listener.inputs_checked = [&](const std::vector<StackSource>& stacks) {
        output_problem = output_refusal(config, stacks);
        if (!output_problem.empty()) return false;
        if (!config.quiet) std::fputs(series_notices(stacks, config.layout.planes).c_str(), stderr);
        progress.emplace(progress_mode(config.quiet, config.progress, isatty(STDERR_FILENO) == 1),
                         static_cast<long long>(stacks.size()), mean_images(stacks));
        return true;
    };
    listener.stack_done = [&progress] { progress->stack_done(); };
    const RunResults run = run_stacks(config, listener);
    if (progress) progress->finish();
    switch (run.stop) {
        case RunStop::none: break;
        case RunStop::invalid_config: return 2;  // not met: the parser refuses such a run
        case RunStop::engine_unavailable:
            std::fprintf(stderr, "bestfocus: --engine=cuda needs a CUDA device, but %s\n",
                         run.engine.reason.c_str());
            return 1;
        case RunStop::too_many_threads:
            std::fprintf(stderr, "bestfocus: %s; give smaller teams\n",
                         run.too_many_threads.c_str());
            return 2;
        case RunStop::tile_tables_too_large:
            std::fprintf(stderr, "bestfocus: --tiles=%dx%d: %s; give fewer tiles\n",
                         config.tiles->rows, config.tiles->columns,
                         run.tile_tables_too_large.c_str());
            return 2;
        case RunStop::by_listener:
            return show_refusal(
                output_problem,
                output_problem.substr(output_problem.find_first_not_of('\n')) + "\n",
                usage_text(default_base));
        case RunStop::missing_input:
        case RunStop::scan_failed:
            if (run.failure->kind == FailureKind::bad_tiles) {  // a bad command line
                return show_refusal(tool_message(*run.failure), english_line(*run.failure),
                                    usage_text(default_base));
            }
            return show_failure(*run.failure);
    }
    const std::vector<FolderScores>& folders = run.folders;
    const double seconds = run.seconds;

    std::printf("\n%lf\n", seconds);
    const int status =
        write_run_outputs(config, folders, seconds, engine_description(run.engine.engine));
    if (!config.quiet) {
        std::fputs(flagged_folder_lines(folders).c_str(), stderr);
        std::fputs(narrowed_teams_notice().c_str(), stderr);
    }
    return status;
}

// An allocation that fails anywhere outside the scan's own checks ends the run here, with a word
// and status 1, never by std::terminate: every output is written whole by rename or not at all.
int main(int argc, char** argv) {
    try {
        return run_main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs(
            "bestfocus: not enough memory to go on (an allocation failed); the outputs not yet "
            "written are absent\n",
            stderr);
        return 1;
    }
}
