// The memory a run's tile tables take (every tile's score on every image, its curves, picks and
// the tables' text), known before any image is read: a grid of millions of tiles over many images
// can need more than the run has, and would fail deep in the scan.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "run_config.h"
#include "stack_sources.h"

namespace bestfocus {

// About the most bytes the tile tables of the run's stacks take at once; 0 without tiles.
std::uint64_t tile_table_bytes(const RunConfig& config, const std::vector<StackSource>& stacks);

// Nothing when the tables fit `memory` bytes; otherwise what they need, in English: "a grid of
// 8192 x 8192 tiles over 2 images and 1 method needs about 3072 MiB for its tables, more than the
// 2000 MiB of memory this run has".
std::optional<std::string> tile_memory_problem(const RunConfig& config,
                                               const std::vector<StackSource>& stacks,
                                               std::uint64_t memory);

}  // namespace bestfocus
