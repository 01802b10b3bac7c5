// The stacks a scan takes, as the up-front check finds them.
#pragma once

#include <vector>

#include "input_check.h"

using namespace bestfocus;

// Empty when a stack of the run is incomplete.
inline std::vector<StackSource> present_stacks(const RunConfig& config) {
    std::vector<StackSource> stacks;
    return first_missing_input(config, &stacks) ? std::vector<StackSource>() : stacks;
}
