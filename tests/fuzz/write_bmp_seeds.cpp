// Writes the BMP variants of the driver tests into a folder, one file each: the fuzzer's seeds.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bmp_bytes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_bmp_seeds <folder>\n");
        return 2;
    }
    std::vector<BmpVariant> variants = sound_bmp_variants();
    for (BmpVariant& corrupt : corrupt_bmp_variants()) {
        variants.push_back(std::move(corrupt));
    }
    // The colour-palette file and a header claiming more pixels than follow.
    variants.push_back({"colour palette", bmp_headers(4, 2, {{200, 230, 40}, {0, 0, 0}}) +
                                              bmp_pixel_rows(4, 2, {0, 1, 1, 0, 1, 0, 0, 1})});
    variants.push_back(
        {"claims 100000 x 100000", bmp_headers(100000, 100000, gray_palette()) +
                                       bmp_pixel_rows(4, 2, {0, 1, 2, 3, 4, 5, 6, 7})});
    int number = 0;
    for (const BmpVariant& variant : variants) {
        const std::string path =
            std::string(argv[1]) + "/seed_" + std::to_string(++number) + ".bmp";
        std::ofstream(path, std::ios::binary) << variant.bytes;
    }
    std::printf("%d seeds written to %s\n", number, argv[1]);
    return 0;
}
