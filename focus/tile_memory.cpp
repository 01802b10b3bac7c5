#include "tile_memory.h"

#include "tile_picks.h"

namespace bestfocus {

namespace {

// What one tile holds per method and image: its score as measured and in its curve.
constexpr std::uint64_t kScoreBytes = 2 * sizeof(double);
// What one tile's curve costs beside its scores: the vector and the allocator's header.
constexpr std::uint64_t kCurveBytes = sizeof(std::vector<double>) + 16;
// The tables' text: a row of the scores table per score, of the summary per tile and method.
constexpr std::uint64_t kScoreRowBytes = 48;
constexpr std::uint64_t kSummaryRowBytes = 96;

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::uint64_t saturating_product(std::uint64_t a, std::uint64_t b) {
    return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

std::string plural(std::uint64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

std::uint64_t tile_table_bytes(const RunConfig& config, const std::vector<StackSource>& stacks) {
    if (!config.tiles) return 0;
    const std::uint64_t tile_methods = saturating_product(
        static_cast<std::uint64_t>(config.tiles->count()), config.methods.size());
    const std::uint64_t score_bytes =
        kScoreBytes + (config.outputs.tile_scores.empty() ? 0 : kScoreRowBytes);
    const std::uint64_t tile_bytes =
        kCurveBytes + (config.outputs.tile_summary.empty() ? 0 : kSummaryRowBytes);
    std::uint64_t total =
        saturating_product(static_cast<std::uint64_t>(config.tiles->count()), sizeof(TilePick));
    for (const StackSource& stack : stacks) {
        const std::uint64_t per_tile =
            tile_bytes + saturating_product(static_cast<std::uint64_t>(stack.images), score_bytes);
        total = saturating_add(total, saturating_product(tile_methods, per_tile));
    }
    return total;
}

std::optional<std::string> tile_memory_problem(const RunConfig& config,
                                               const std::vector<StackSource>& stacks,
                                               std::uint64_t memory) {
    const std::uint64_t needed = tile_table_bytes(config, stacks);
    if (needed <= memory) return std::nullopt;
    std::uint64_t images = 0;
    for (const StackSource& stack : stacks) images += static_cast<std::uint64_t>(stack.images);
    const auto mebibytes = [](std::uint64_t bytes) {
        return std::to_string(bytes / (1u << 20) + (bytes % (1u << 20) != 0));
    };
    return "a grid of " + std::to_string(config.tiles->rows) + " x " +
           std::to_string(config.tiles->columns) + " tiles over " + plural(images, "image") +
           " and " + plural(config.methods.size(), "method") + " needs about " + mebibytes(needed) +
           " MiB for its tables, more than the " + mebibytes(memory) +
           " MiB of memory this run has";
}

}  // namespace bestfocus
