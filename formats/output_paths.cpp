#include "output_paths.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_map>

namespace bestfocus {
namespace {

// The kernel's own limit on links followed in one path.
constexpr int kMostLinks = 40;

std::string device_and_inode(const struct stat& status) {
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

}  // namespace

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_in_folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// The path of the symbolic link `path` replaced by what it points to; false with errno set when it
// cannot be read.
bool follow_one_link(std::string& path) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0) {
        return false;
    }
    target.resize(static_cast<std::size_t>(length));
    path = target.rfind('/', 0) == 0 ? target : folder_of(path) + "/" + target;
    return true;
}

}  // namespace

bool follow_final_links(std::string& path) {
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return true;
        }
        if (!follow_one_link(path)) {
            return false;
        }
    }
    errno = ELOOP;
    return false;
}

std::string file_identity(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        return device_and_inode(status);
    }
    std::string target = path;
    struct stat folder {};
    if (!follow_final_links(target) || stat(folder_of(target).c_str(), &folder) != 0) {
        return "";
    }
    return device_and_inode(folder) + "/" + name_in_folder(target);
}

std::vector<std::string> path_identities(const NamedPath& path) {
    std::vector<std::string> identities;
    const auto add_entry = [&](const std::string& name) {
        struct stat folder {};
        if (stat(folder_of(name).c_str(), &folder) == 0) {
            identities.push_back(device_and_inode(folder) + "/" + name_in_folder(name));
        }
    };
    add_entry(path.path);
    if (path.own_name) {
        return identities;
    }
    const std::string file = file_identity(path.path);
    if (!file.empty()) {
        identities.push_back(file);
    }
    std::string link = path.path;
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat status {};
        std::string target = link;
        if (lstat(link.c_str(), &status) != 0 || !S_ISLNK(status.st_mode) ||
            !follow_one_link(target)) {
            break;
        }
        link = target;
        add_entry(link);
    }
    return identities;
}

std::optional<std::pair<std::size_t, std::size_t>> first_collision(
    const std::vector<NamedPath>& paths) {
    // One pass: a run exporting every pick of thousands of folders names tens of thousands.
    std::unordered_map<std::string, std::size_t> first_with_identity;
    for (std::size_t second = 0; second < paths.size(); ++second) {
        for (const std::string& identity : path_identities(paths[second])) {
            const auto [first, added] = first_with_identity.emplace(identity, second);
            if (!added && first->second != second) {
                return std::make_pair(first->second, second);
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> output_problem(const std::string& path) {
    if (path.empty()) {
        return std::string(std::strerror(ENOENT));
    }
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            return std::string(kIsAFolder);
        }
        if (!S_ISREG(status.st_mode)) {  // written through
            return access(path.c_str(), W_OK) == 0
                       ? std::nullopt
                       : std::optional<std::string>(std::strerror(errno));
        }
    }
    std::string target = path;
    if (!follow_final_links(target)) {
        return std::string(std::strerror(errno));
    }
    if (!target.empty() && target.back() == '/') {
        return std::string(kIsAFolder);
    }
    // Creating the temporary file and renaming it takes write and search permission on the folder.
    if (access(folder_of(target).c_str(), W_OK | X_OK) != 0) {
        return std::string(std::strerror(errno));
    }
    return std::nullopt;
}

}  // namespace bestfocus
