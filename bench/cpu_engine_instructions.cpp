// Runs one CPU-engine measure a given number of times on one thread over a random 8-bit image, and
// nothing else worth counting: under callgrind, the difference between two repetition counts is
// the measure's own instruction count (see count_cpu_engine_instructions.sh). Given a count of
// tile rows and columns, each repetition measures the image and each of its tiles, as --tiles does.
//
//   cpu_engine_instructions <measure's name> <width> <height> <repetitions> [<rows> <columns>]
//   cpu_engine_instructions --list      (the names, one a line)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "engine.h"
#include "measure_registry.h"
#include "tiled_measure.h"

using namespace bestfocus;

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const MeasureEntry& entry : measure_registry()) std::printf("%s\n", entry.name);
        return 0;
    }
    if (argc != 5 && argc != 7) {
        std::fprintf(stderr,
                     "usage: %s <measure> <width> <height> <repetitions> [<rows> <columns>]\n",
                     argv[0]);
        return 2;
    }
    const MeasureEntry* measure = nullptr;
    for (const MeasureEntry& entry : measure_registry()) {
        if (std::strcmp(argv[1], entry.name) == 0) measure = &entry;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int repetitions = std::atoi(argv[4]);
    const int tile_rows = argc == 7 ? std::atoi(argv[5]) : 0;
    const int tile_columns = argc == 7 ? std::atoi(argv[6]) : 0;
    // Tiles of at least 8 x 8 pixels, larger than every window.
    constexpr int kSmallestTile = 8;
    if (measure == nullptr || width < 1 || height < 1 || repetitions < 0 || tile_rows < 0 ||
        tile_columns < 0 || (tile_rows == 0) != (tile_columns == 0) ||
        static_cast<long long>(tile_rows) * kSmallestTile > height ||
        static_cast<long long>(tile_columns) * kSmallestTile > width) {
        std::fprintf(stderr, "%s: unknown measure, bad size or tiles under 8 x 8\n", argv[0]);
        return 2;
    }
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height);
    std::mt19937 generator(1);
    for (unsigned char& pixel : pixels) pixel = static_cast<unsigned char>(generator());
    // Tiles as --tiles cuts them; a run of many images, so one thread an image.
    TileEdges edges;
    for (int c = 0; tile_columns > 0 && c <= tile_columns; ++c) {
        edges.columns.push_back(static_cast<int>(static_cast<long long>(c) * width / tile_columns));
    }
    for (int r = 0; tile_rows > 0 && r <= tile_rows; ++r) {
        edges.rows.push_back(static_cast<int>(static_cast<long long>(r) * height / tile_rows));
    }
    const std::unique_ptr<Engine> engine = make_engine(EngineKind::cpu, 2);
    const ImageView image{pixels.data(), PixelDepth::u8, width, height, width};
    double sum = 0.0;
    for (int i = 0; i < repetitions; ++i) {
        if (tile_rows == 0) {
            sum += measure->cpu(pixels.data(), width, height, width, 1);
            continue;
        }
        for (const double value :
             measure_each_tile(*engine, image, edges, {measure->code}).values) {
            sum += value;
        }
    }
    std::printf("%.17g\n", sum);  // uses every value, so none of the calls can be left out
    return 0;
}
