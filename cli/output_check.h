// The run's outputs, checked before any work: none named on the command line may be a folder, and
// none may name the same file as another output or an input image of the run.
#pragma once

#include <string>
#include <vector>

#include "run_config.h"
#include "stack_sources.h"

namespace bestfocus {

// Every file the run will write, named for messages: the reports, the files config.outputs asks
// for, and every exported pick (the stacks tell which are pages of multi-page files).
struct RunOutput {
    std::string what;
    std::string path;
    bool is_report = false;
    // A name of the tool's own in a folder the user chose (an exported pick, a depth, confidence
    // map or all-in-focus image): what lies there is replaced, never followed.
    bool own_name = false;
};
std::vector<RunOutput> run_outputs(const RunConfig& config, const std::vector<StackSource>& stacks);

// Why the outputs cannot be written as asked, naming both files of a collision ("\nbestfocus:
// --scores=a.csv and the input image s/011/01.bmp are the same file"), starting with "\n" and
// without a newline at its end; empty when they can.
std::string output_refusal(const RunConfig& config, const std::vector<StackSource>& stacks);

}  // namespace bestfocus
