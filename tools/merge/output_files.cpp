#include "output_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool write_bytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // fclose flushes: a full disk may show only here.
    return std::fclose(file) == 0 && written;
}

void remove_all(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::remove(path.c_str());
    }
}

}  // namespace

bool write_output_files(const std::vector<OutputFile>& files, std::string& problem) {
    std::vector<std::string> temporaries;
    for (const OutputFile& file : files) {
        // The process id keeps two merges in one folder off each other's temporary files.
        temporaries.push_back(file.path + ".tmp." + std::to_string(getpid()));
        if (!write_bytes(temporaries.back(), file.bytes)) {
            problem = "cannot write " + file.path + ": " + std::strerror(errno);
            remove_all(temporaries);
            return false;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (std::rename(temporaries[i].c_str(), files[i].path.c_str()) != 0) {
            problem = "cannot rename " + temporaries[i] + " to " + files[i].path + ": " +
                      std::strerror(errno);
            remove_all(std::vector<std::string>(temporaries.begin() + i, temporaries.end()));
            return false;
        }
    }
    return true;
}
