// The C++ side of the Python module's benchmark (python_module_bench.py): the engine's own call,
// the one bestfocus.measure makes, timed on the same image. Reads a raw 8-bit image and prints,
// per measure, "<code> <seconds of each call>..." after one untimed call.
//
// Usage: engine_call_timing <raw file> <width> <height> <calls>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine.h"
#include "engine_choice.h"
#include "measure_registry.h"

using namespace bestfocus;

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: engine_call_timing <raw file> <width> <height> <calls>\n");
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int calls = std::atoi(argv[4]);
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<unsigned char> pixels{std::istreambuf_iterator<char>(file), {}};
    if (width < 1 || height < 1 || calls < 1 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        std::fprintf(stderr, "engine_call_timing: %s is not a %s x %s 8-bit image\n", argv[1],
                     argv[2], argv[3]);
        return 1;
    }
    // As bestfocus.measure: engine "auto", a run of one image.
    const std::unique_ptr<Engine> engine =
        make_engine(choose_engine(EngineChoice::automatic).engine, 1);
    const ImageView view{pixels.data(), PixelDepth::u8, width, height, width};
    for (const MeasureEntry& measure : measure_registry()) {
        engine->measure(view, {measure.code});
        std::printf("%d", measure.code);
        for (int call = 0; call < calls; ++call) {
            const auto start = std::chrono::steady_clock::now();
            engine->measure(view, {measure.code});
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            std::printf(" %.9f", elapsed.count());
        }
        std::printf("\n");
    }
    return 0;
}
