// How far the kernels' raw values lie from the exact ones, and what the scores then are: for each
// measure, on random and on nearly uniform 8-bit images of growing size, the kernels' value
// (funcion_*_GPU_uchar) and the kernel engine's score against the CPU engine's exact score, as
// relative differences. Nearly uniform images are the hard case for Vollath F4, a difference of
// two close sums.
//
//   engine_agreement [largest side, default 4096]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "engine.h"
#include "measure_registry.h"
#include "team_sizes.h"

using namespace bestfocus;

namespace {

double relative(double value, double exact) {
    return exact == 0.0 ? std::abs(value) : std::abs(value - exact) / std::abs(exact);
}

double engine_score(EngineKind kind, const std::vector<unsigned char>& pixels, int side,
                    int code) {
    ImageView view{pixels.data(), PixelDepth::u8, side, side, side};
    return make_engine(kind, 2)->measure(view, {code}).values.at(0);
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 4096;
    std::printf("%-12s %-14s %6s %22s %22s\n", "measure", "image", "side", "kernels' raw value",
                "kernel engine's score");
    for (int side = 1024; side <= largest; side *= 2) {
        for (const bool nearly_uniform : {false, true}) {
            std::mt19937 generator(side);
            std::uniform_int_distribution<int> value(nearly_uniform ? 127 : 0,
                                                     nearly_uniform ? 129 : 255);
            std::vector<unsigned char> pixels(static_cast<std::size_t>(side) * side);
            for (unsigned char& pixel : pixels) pixel = static_cast<unsigned char>(value(generator));
            for (const MeasureEntry& measure : measure_registry()) {
                const double exact = engine_score(EngineKind::cpu, pixels, side, measure.code);
                const double raw = measure.uchar(pixels.data(), side, side, N_threads);
                const double score = engine_score(EngineKind::kernels, pixels, side, measure.code);
                std::printf("%-12s %-14s %6d %22.3g %22.3g\n", measure.short_name,
                            nearly_uniform ? "127..129" : "0..255", side, relative(raw, exact),
                            relative(score, exact));
            }
        }
    }
}
