#include "replace_file.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace bestfocus {
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

// Writes the text to the file's temporary name; false with *reason set (the temporary removed)
// when it cannot.
bool write_temporary(const std::string& temporary_name, const std::string& text,
                     std::string* reason) {
    std::FILE* file = std::fopen(temporary_name.c_str(), "wb");
    if (file == nullptr) {
        *reason = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int write_error = errno;
    // fclose flushes: a full disk may show only here.
    const bool closed = std::fclose(file) == 0;
    if (!closed || !written) {
        *reason = std::strerror(closed ? write_error : errno);
        std::remove(temporary_name.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool replace_files(const std::vector<FileText>& files, std::string* failed_path,
                   std::string* reason) {
    std::vector<std::string> temporaries;
    const auto remove_from = [&temporaries](std::size_t first) {
        for (std::size_t i = first; i < temporaries.size(); ++i) {
            std::remove(temporaries[i].c_str());
        }
    };
    for (const FileText& file : files) {
        remove_abandoned_temporary_files(file.path);
        // The process id keeps concurrent runs in one folder off each other's temporary file.
        const std::string temporary = temporary_prefix(file.path) + std::to_string(getpid());
        if (!write_temporary(temporary, file.text, reason)) {
            *failed_path = file.path;
            remove_from(0);
            return false;
        }
        temporaries.push_back(temporary);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (std::rename(temporaries[i].c_str(), files[i].path.c_str()) != 0) {
            *failed_path = files[i].path;
            *reason = std::strerror(errno);
            remove_from(i);
            return false;
        }
    }
    return true;
}

bool replace_file(const std::string& file_name, const std::string& text, std::string* reason) {
    std::string failed_path;
    return replace_files({{file_name, text}}, &failed_path, reason);
}

}  // namespace bestfocus
