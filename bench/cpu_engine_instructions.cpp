// Runs one CPU-engine measure a given number of times on one thread over a random 8-bit image, and
// nothing else worth counting: under callgrind, the difference between two repetition counts is
// the measure's own instruction count (see count_cpu_engine_instructions.sh).
//
//   cpu_engine_instructions <measure's name> <width> <height> <repetitions>
//   cpu_engine_instructions --list      (the names, one a line)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "measure_registry.h"

using namespace bestfocus;

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const MeasureEntry& entry : measure_registry()) std::printf("%s\n", entry.name);
        return 0;
    }
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <measure> <width> <height> <repetitions>\n", argv[0]);
        return 2;
    }
    CpuMeasure measure = nullptr;
    for (const MeasureEntry& entry : measure_registry()) {
        if (std::strcmp(argv[1], entry.name) == 0) measure = entry.cpu;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int repetitions = std::atoi(argv[4]);
    if (measure == nullptr || width < 1 || height < 1 || repetitions < 0) {
        std::fprintf(stderr, "%s: unknown measure or bad size\n", argv[0]);
        return 2;
    }
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height);
    std::mt19937 generator(1);
    for (unsigned char& pixel : pixels) pixel = static_cast<unsigned char>(generator());
    double sum = 0.0;
    for (int i = 0; i < repetitions; ++i) {
        sum += measure(pixels.data(), width, height, width, 1);
    }
    std::printf("%.17g\n", sum);  // uses every value, so none of the calls can be left out
    return 0;
}
