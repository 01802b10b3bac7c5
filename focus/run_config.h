// What one run does: the settings the command line gives, in one value.
#pragma once

#include <string>
#include <vector>

#include "engine_choice.h"
#include "stack_layout.h"

// Which implementation measures the images (engine_choice.h).
using bestfocus::EngineChoice;

// What one run does. Members left unset by the command line keep these defaults.
struct RunConfig {
    std::vector<int> methods = {1};  // method codes in the order given: one report each
    std::string base_folder;         // prefix of every folder path, used unchanged
    int first_folder = 11;
    int last_folder = 11;       // inclusive
    int images_per_stack = 20;  // 0: every image there is (see input_check.h)
    StackLayout layout;         // from the options
    // The team sizes are the globals of team_sizes.h.
};
