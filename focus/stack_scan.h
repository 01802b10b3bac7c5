// The scan: every image of every folder in the range is measured, and each folder's sharpest
// image is chosen under every method.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "folder_scores.h"
#include "image_measure.h"
#include "run_config.h"
#include "run_failure.h"
#include "stack_sources.h"

namespace bestfocus {

struct ScanResults {
    // One per folder, in folder order, each method's scores and pick. Complete only without a
    // failure.
    std::vector<FolderScores> folders;
    // The first failure in folder, then image order: an image that cannot be measured, or a
    // folder whose images differ in size (which comes after every image of its folder).
    std::optional<RunFailure> failure;
};

// Measures the stacks (first_missing_input's, one per folder of the range, images counted) with a
// team of the configuration's N_threads_ext2 threads, the images of each stack with a nested team
// of its N_threads_ext1, each image decoded once and measured on the engine with every method of
// the configuration (on the layout's region, if any); both loops use the static schedule. Once an
// image fails, images after it are skipped, and every image before it is still measured, so the
// failure returned is the same on every run. stack_done, when given, is called by the thread that
// finished a stack; keep_going, when given, before each stack and image: once it says false, the
// rest are skipped and the results are incomplete.
ScanResults scan_stacks(const RunConfig& config, const std::vector<StackSource>& stacks,
                        const Engine& engine, const std::function<void()>& stack_done = nullptr,
                        const std::function<bool()>& keep_going = nullptr);

// The pick of every folder under the method at index `method` of the scan's methods, in folder
// order: the report's lines.
std::vector<int> best_images(const std::vector<FolderScores>& folders, std::size_t method);

}  // namespace bestfocus
