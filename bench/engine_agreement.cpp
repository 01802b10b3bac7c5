// How far the double-precision measure functions' sums lie from the exact scores, and whether the
// kernel engine's exact kernels give the CPU engine's bits: for each measure, on random and on
// nearly uniform images of growing size at both depths, the kernels' raw value (funcion_*_GPU_uchar
// on 8-bit pixels, funcion_*_GPU on 16-bit ones as value / 65535.0) and the kernel engine's score
// against the CPU engine's exact score, as relative differences. Nearly uniform images are the
// hard case for Vollath F4, a difference of two close sums; 16-bit images holding 8-bit values
// times 257 are what the kernels' doubles rounded worst.
//
//   engine_agreement [largest side, default 4096]
#include <cmath>
#include <cstdint>
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

template <class Pixel>
double engine_score(EngineKind kind, const std::vector<Pixel>& pixels, int side, int code) {
    ImageView view{pixels.data(), sizeof(Pixel) == 1 ? PixelDepth::u8 : PixelDepth::u16, side, side,
                   side};
    return make_engine(kind, 2)->measure(view, {code}).values.at(0);
}

double raw_value(const MeasureEntry& measure, const std::vector<std::uint8_t>& pixels, int side) {
    return measure.uchar(pixels.data(), side, side, N_threads);
}

double raw_value(const MeasureEntry& measure, const std::vector<std::uint16_t>& pixels, int side) {
    std::vector<double> normalised(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) normalised[i] = pixels[i] / 65535.0;
    return measure.doubles(reinterpret_cast<const unsigned char*>(normalised.data()), side, side,
                           N_threads);
}

// Every measure on one image: the raw kernels' and the kernel engine's relative differences.
template <class Pixel>
void compare(const char* label, const std::vector<Pixel>& pixels, int side) {
    for (const MeasureEntry& measure : measure_registry()) {
        const double exact = engine_score(EngineKind::cpu, pixels, side, measure.code);
        const double raw = raw_value(measure, pixels, side);
        const double score = engine_score(EngineKind::kernels, pixels, side, measure.code);
        std::printf("%-12s %-17s %6d %22.3g %22.3g\n", measure.short_name, label, side,
                    relative(raw, exact), relative(score, exact));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 4096;
    std::printf("%-12s %-17s %6s %22s %22s\n", "measure", "image", "side", "kernels' raw value",
                "kernel engine's score");
    for (int side = 1024; side <= largest; side *= 2) {
        const std::size_t count = static_cast<std::size_t>(side) * side;
        std::mt19937 generator(side);
        std::uniform_int_distribution<int> byte(0, 255), nearly_uniform(127, 129), word(0, 65535);
        std::vector<std::uint8_t> bytes(count), flat(count);
        std::vector<std::uint16_t> words(count), times_257(count);
        for (std::size_t i = 0; i < count; ++i) {
            bytes[i] = static_cast<std::uint8_t>(byte(generator));
            flat[i] = static_cast<std::uint8_t>(nearly_uniform(generator));
            words[i] = static_cast<std::uint16_t>(word(generator));
            times_257[i] = static_cast<std::uint16_t>(257 * byte(generator));
        }
        compare("8-bit 0..255", bytes, side);
        compare("8-bit 127..129", flat, side);
        compare("16-bit 0..65535", words, side);
        compare("16-bit 257 x byte", times_257, side);
    }
}
