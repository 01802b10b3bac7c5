// What the module raises, in English and naming what the call was given.
#pragma once

#include <string>

#include "run_check.h"
#include "run_failure.h"

namespace bestfocus::python {

// A failure of the core as the module raises it: its English line, then its diagnostic, each line
// without the executable's "bestfocus: ", joined by newlines.
std::string english_text(const RunFailure& failure);

// The text with the command line's options as the module's keyword arguments: "--tiles=2x3" as
// "tiles=(2, 3)", "--focus-window" as "window=", "--folder-names" as "folder_names=".
std::string keyword_names(const std::string& text);

// A problem of run()'s configuration, naming the argument and its value: "teams[1]
// (N_threads_ext1) must lie in 1..1024, not 0".
std::string problem_text(const RunProblem& problem, const RunConfig& config);

// The engine of that name ("auto", "cuda", "cpu"); raises ValueError for any other.
EngineChoice engine_by_name(const std::string& name);

// Raises RuntimeError when the engine asked for cannot run here.
void check_engine_possible(const EngineDecision& engine);

}  // namespace bestfocus::python
