#include "stack_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>

#include "missing_file_error.h"

namespace bestfocus::python {

namespace {

const char* kind_of_file(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

}  // namespace

void check_stack_path(const std::string& path) {
    if (path.empty()) {
        throw std::invalid_argument("path is empty; give a folder of images or a multi-page file");
    }
    if (path.size() >= PATH_MAX) {
        throw std::invalid_argument("path of " + std::to_string(path.size()) +
                                    " bytes is longer than a path can be (" +
                                    std::to_string(PATH_MAX - 1) + " bytes)");
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        const int error = errno;
        const std::string what = "cannot read the stack " + path + ": " + std::strerror(error);
        if (error == ENOENT || error == ENOTDIR) throw MissingFileError(what);
        throw std::invalid_argument(what);
    }
    if (!S_ISDIR(status.st_mode) && !S_ISREG(status.st_mode)) {
        throw std::invalid_argument(path + " is " + kind_of_file(status.st_mode) +
                                    ", neither a folder of images nor a multi-page file");
    }
}

}  // namespace bestfocus::python
