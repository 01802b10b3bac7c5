#include "report_file.h"

#include <unistd.h>

#include <cstdio>

namespace {

bool write_lines(std::FILE* file, const std::vector<int>& best_images, double seconds) {
    for (const int image : best_images) {
        if (std::fprintf(file, "%d\n", image) < 0) {
            return false;
        }
    }
    return std::fprintf(file, "\nTotal time: %f seconds...", seconds) >= 0;
}

}  // namespace

std::string report_file_name(int first_folder, int last_folder, int method) {
    return "BestFocus_AutofocusStacks_Folder_" + std::to_string(first_folder) + "_to_" +
           std::to_string(last_folder) + "_method_" + std::to_string(method) + ".txt";
}

bool write_report(const std::string& file_name, const std::vector<int>& best_images,
                  double seconds) {
    // The process id keeps concurrent runs in one folder off each other's temporary file.
    const std::string temporary_name = file_name + ".tmp." + std::to_string(getpid());
    std::FILE* file = std::fopen(temporary_name.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = write_lines(file, best_images, seconds);
    // fclose flushes: a full disk may show only here.
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary_name.c_str(), file_name.c_str()) != 0) {
        std::remove(temporary_name.c_str());
        return false;
    }
    return true;
}
