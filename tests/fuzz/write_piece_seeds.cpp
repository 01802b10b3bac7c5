// Writes what a piece of folders -1 to 2 holds, as bestfocus and the array script write it, into
// a folder, one file each and prefixed by the byte that makes piece_parser_fuzz read it as such:
// the fuzzer's seeds.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "report_file.h"
#include "score_tables.h"
#include "tile_tables.h"

int main(int argc, char** argv) {
    using namespace bestfocus;
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_piece_seeds <folder>\n");
        return 2;
    }
    std::vector<FolderScores> folders;
    for (int folder = -1; folder <= 2; ++folder) {
        folders.push_back({folder,
                           {{1, {1.5, 9.25, 3e-7}, 2, {{1.5, 9.25, 3e-7}, {2, 1, 0.5}}},
                            {4, {-2.5, 0, 0}, 1, {{-2.5, 0, 0}, {0, 0, 0}}}}});
        folders.back().tiles = {1, 2};  // one row of two tiles over a region of 5 x 2 at (1, 3)
        folders.back().area = {1, 3, 5, 2};
    }
    const std::string seeds[] = {
        std::string(1, '\0') + report_text({2, 2, 1, 3}, 12.345678),
        '\1' + scores_table(folders),
        '\2' + summary_table(folders),
        '\3' + std::string("first=-1\nlast=2\nstart=1733000000.25\nend=1733000100.5\n"),
        '\4' + std::string("folders_-1_to_2"),
        '\4' + report_file_name(-1, 2, 3),
        '\5' + tile_scores_table(folders),
        '\6' + tile_summary_table(folders),
    };
    int number = 0;
    for (const std::string& seed : seeds) {
        std::ofstream(std::string(argv[1]) + "/seed_" + std::to_string(++number), std::ios::binary)
            << seed;
    }
    std::printf("%d seeds written to %s\n", number, argv[1]);
    return 0;
}
