#include "replace_file.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// A run killed while writing leaves its temporary file behind. The next run that writes the same
// file removes those whose writer is gone; a writer still running is a concurrent run in the same
// folder, and its file is its own.
void remove_abandoned_temporary_files(const std::string& file_name) {
    const std::filesystem::path path(file_name);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const std::string prefix = temporary_prefix(path.filename().string());
    std::error_code error;  // an unreadable folder leaves nothing to clean up
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const pid_t writer = writer_of(entry->path().filename().string(), prefix);
        if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH) {
            std::error_code ignored;  // removed by another run in the meantime
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

bool failed(const std::string& temporary_name, int error, std::string* reason) {
    *reason = std::strerror(error);
    std::remove(temporary_name.c_str());
    return false;
}

}  // namespace

bool replace_file(const std::string& file_name, const std::string& text, std::string* reason) {
    remove_abandoned_temporary_files(file_name);
    // The process id keeps concurrent runs in one folder off each other's temporary file.
    const std::string temporary_name = temporary_prefix(file_name) + std::to_string(getpid());
    std::FILE* file = std::fopen(temporary_name.c_str(), "wb");
    if (file == nullptr) {
        *reason = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int write_error = errno;
    // fclose flushes: a full disk may show only here.
    if (std::fclose(file) != 0) {
        return failed(temporary_name, errno, reason);
    }
    if (!written) {
        return failed(temporary_name, write_error, reason);
    }
    if (std::rename(temporary_name.c_str(), file_name.c_str()) != 0) {
        return failed(temporary_name, errno, reason);
    }
    return true;
}
