#include "report_file.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string temporary_prefix(const std::string& file_name) { return file_name + ".tmp."; }

// The process id at the end of a temporary file's name; 0 when there is none.
pid_t writer_of(const std::string& name, const std::string& prefix) {
    constexpr std::size_t kMostDigits = 9;  // process ids stay below 2^22; nine digits fit a pid_t
    if (name.size() <= prefix.size() || name.size() > prefix.size() + kMostDigits ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.find_first_not_of("0123456789", prefix.size()) != std::string::npos) {
        return 0;
    }
    return static_cast<pid_t>(std::atol(name.c_str() + prefix.size()));
}

// A run killed while writing the report leaves its temporary file behind. The next run that
// writes the same report removes those whose writer is gone; a writer still running is a
// concurrent run in the same folder, and its file is its own.
void remove_abandoned_temporary_files(const std::string& file_name) {
    const std::string prefix = temporary_prefix(file_name);
    std::error_code error;  // an unreadable folder leaves nothing to clean up
    for (std::filesystem::directory_iterator entry(".", error), end; !error && entry != end;
         entry.increment(error)) {
        const pid_t writer = writer_of(entry->path().filename().string(), prefix);
        if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH) {
            std::error_code ignored;  // removed by another run in the meantime
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

// errno after a failed call; EIO should the call not have set it.
int reason_of_failure() { return errno != 0 ? errno : EIO; }

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

int write_report(const std::string& file_name, const std::vector<int>& best_images,
                 double seconds) {
    remove_abandoned_temporary_files(file_name);
    // The process id keeps concurrent runs in one folder off each other's temporary file.
    const std::string temporary_name = temporary_prefix(file_name) + std::to_string(getpid());
    std::FILE* file = std::fopen(temporary_name.c_str(), "wb");
    if (file == nullptr) {
        return reason_of_failure();
    }
    int error = write_lines(file, best_images, seconds) ? 0 : reason_of_failure();
    // fclose flushes: a full disk may show only here.
    if (std::fclose(file) != 0 && error == 0) {
        error = reason_of_failure();
    }
    if (error == 0 && std::rename(temporary_name.c_str(), file_name.c_str()) != 0) {
        error = reason_of_failure();
    }
    if (error != 0) {
        std::remove(temporary_name.c_str());
    }
    return error;
}
