// A run, the same for every front end: its configuration checked, the engine chosen, the inputs
// checked, then the scan with the configuration's teams. The front ends word what stopped it and
// write its files; nothing here prints.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "engine_choice.h"
#include "folder_scores.h"
#include "input_check.h"
#include "run_check.h"
#include "run_config.h"
#include "run_failure.h"
#include "stack_sources.h"

namespace bestfocus {

// What a front end hears of a run as it goes; every member may be left empty.
struct RunListener {
    // The engine is chosen and can run here; the inputs are checked next.
    std::function<void(const EngineDecision&)> engine_chosen;
    // Every input is there (the stacks in folder order, their images counted) and nothing is
    // decoded yet: false stops the run here (RunStop::by_listener).
    std::function<bool(const std::vector<StackSource>&)> inputs_checked;
    // A stack is done: called by the thread that finished it.
    std::function<void()> stack_done;
    // Asked by the scan's threads before each stack and each image: false stops the run there
    // (RunStop::by_listener), the images being measured finishing first.
    std::function<bool()> keep_going;
};

// Where a run stopped before its end.
enum class RunStop {
    none,                   // it ran to its end
    invalid_config,         // see RunResults::problem
    engine_unavailable,     // the engine asked for cannot run here: RunResults::engine.reason
    missing_input,          // see RunResults::missing and RunResults::failure
    too_many_threads,       // the teams need more threads than the process may create: RunResults::
                            // too_many_threads
    tile_tables_too_large,  // the tiles' tables need more memory than the run has: RunResults::
                            // tile_tables_too_large
    by_listener,            // RunListener::inputs_checked or keep_going said no
    scan_failed,            // an image could not be measured: RunResults::failure
};

// What a run gives back. A later output of the scan goes here beside `folders`, asked for by a
// member of RunConfig, so that every front end gets it through the same call.
struct RunResults {
    RunStop stop = RunStop::none;
    std::optional<RunProblem> problem;  // invalid_config
    EngineDecision engine;              // once chosen
    std::vector<StackSource> stacks;    // once the inputs are checked, in folder order
    std::optional<MissingInput> missing;
    // too_many_threads: "teams of 1024 x 1024 x 1024 would have up to 35651584 threads at once,
    // but the system runs at most 192740 threads (kernel.threads-max)".
    std::string too_many_threads;
    // tile_tables_too_large: what the tables need (tile_memory.h).
    std::string tile_tables_too_large;
    // missing_input: the tool's message and English lines for it; scan_failed: the scan's first
    // failure.
    std::optional<RunFailure> failure;
    // The scan's time in seconds, from the nested teams' switch until its last team has joined.
    double seconds = 0;
    // stop == none: every folder's scores and picks, in folder order.
    std::vector<FolderScores> folders;
};

// Runs the configuration: each step in the order of RunStop, stopping at the first that fails.
RunResults run_stacks(const RunConfig& config, const RunListener& listener = {});

// The images of all the stacks together.
long long images_in_run(const std::vector<StackSource>& stacks);

}  // namespace bestfocus
