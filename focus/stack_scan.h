// The scan: every image of every folder in the range is measured, and each folder's sharpest
// image is chosen under every method.
#pragma once

#include <cstddef>
#include <vector>

#include "folder_scores.h"
#include "image_measure.h"
#include "progress.h"
#include "run_config.h"
#include "stack_sources.h"

// Measures the stacks (first_missing_input's, one per folder of the range, images counted) with a
// team of N_threads_ext2 threads, the images of each stack with a nested team of N_threads_ext1,
// each image decoded once and measured with every method (on the layout's region, if any); both
// loops use the static schedule. Returns one bestfocus::FolderScores per folder, in folder order,
// holding each method's scores and pick. An image that cannot be measured ends the process at once
// with its message and status 1, and so does a folder whose images differ in size, once all of its
// images are measured. Each finished folder is counted in progress, when given.
std::vector<bestfocus::FolderScores> scan_stacks(const RunConfig& config,
                                                 const std::vector<StackSource>& stacks,
                                                 const std::vector<MethodMeasure>& methods,
                                                 Progress* progress = nullptr);

// The pick of every folder under the method at index `method` of the scan's methods, in folder
// order: the report's lines.
std::vector<int> best_images(const std::vector<bestfocus::FolderScores>& folders,
                             std::size_t method);
