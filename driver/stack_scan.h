// The scan: every image of every folder in the range is measured, and each folder's sharpest
// image is chosen.
#pragma once

#include <cstddef>
#include <vector>

#include "command_line.h"
#include "measure_registry.h"

// Folders first..last inclusive; 0 when last < first.
std::size_t folder_count(int first_folder, int last_folder);

// Measures folders config.first_folder..config.last_folder with a team of N_threads_ext2 threads,
// the images of each folder with a nested team of N_threads_ext1, each measure call with
// N_threads host threads; both loops use the static schedule. Slot i of best_images (sized by
// folder_count) receives the number of the sharpest image of folder first + i. An image that
// cannot be measured ends the process at once with its message and status 1, and so does a folder
// whose images differ in size, once all of its images are measured.
void scan_stacks(const RunConfig& config, PlainMeasure measure, std::vector<int>& best_images);
