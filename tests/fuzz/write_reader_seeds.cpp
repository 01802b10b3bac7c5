// Writes the seeds of the readers' fuzzer into a folder: the BMP variants of the driver tests and
// small TIFF files of the layouts our reader takes (8 and 16 bits, strips and tiles, several
// pages).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bmp_bytes.h"
#include "tiff_files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_reader_seeds <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    int number = 0;
    for (const BmpVariant& variant : sound_bmp_variants()) {
        std::ofstream(folder + "/seed_" + std::to_string(++number) + ".bmp", std::ios::binary)
            << variant.bytes;
    }
    const TiffLayout layouts[] = {{"w", 3, 1, 0}, {"wb", 1, 5, 0}, {"w", 1, 1, 16}};
    for (const int type : {CV_8U, CV_16U}) {
        for (const TiffLayout& layout : layouts) {
            cv::Mat page(17, 18, type);
            cv::randu(page, 0, type == CV_8U ? 256 : 65536);
            write_tiff(folder + "/seed_" + std::to_string(++number) + ".tif", {page, page}, layout);
        }
    }
    std::printf("%d seeds written to %s\n", number, folder.c_str());
    return 0;
}
