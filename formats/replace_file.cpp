#include "replace_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "output_paths.h"

namespace bestfocus {
namespace {

constexpr std::size_t kMostHostBytes = 64;  // a host name's limit (HOST_NAME_MAX)
constexpr char kRandomPart[] = "XXXXXX";    // filled by mkostemp
constexpr char kUnknownNamespace[] = "unknown";

// Where a file's new text goes, and how.
struct Target {
    std::string path;       // the file replaced: the path, or what its links point to
    bool through = false;   // an existing device or FIFO: written in place
    mode_t mode = 0;        // the final file's permissions
    std::string temporary;  // the temporary file, once made
};

// Where a writer runs: its host and its pid namespace ("<host>.<namespace's inode>"), for a pid
// names a process only within its namespace (containers on one host may share a host name). An
// unknown namespace is "<host>.unknown".
std::string writer_place() {
    char name[256] = {};
    std::string host = "unknown";
    if (gethostname(name, sizeof name - 1) == 0 && name[0] != '\0') {
        host.assign(name, strnlen(name, kMostHostBytes));
    }
    for (char& c : host) {
        c = c == '/' ? '_' : c;
    }
    struct stat name_space {};
    return host + "." +
           (stat("/proc/self/ns/pid", &name_space) == 0 ? std::to_string(name_space.st_ino)
                                                        : std::string(kUnknownNamespace));
}

// "<name, cut to fit>.tmp.<host>.<namespace>." followed by the pid and the random part: the start
// of every temporary file of this final name written from this host and pid namespace.
std::string temporary_start(const std::string& final_name, const std::string& host) {
    const std::size_t suffix = std::strlen(kTemporaryMarker) + host.size() + 1 +
                               std::to_string(INT_MAX).size() + 1 + std::strlen(kRandomPart);
    const std::size_t kept = NAME_MAX > suffix ? NAME_MAX - suffix : 0;
    return final_name.substr(0, kept) + kTemporaryMarker + host + ".";
}

// The process id of a temporary file of ours ("<start><pid>.<random>"); 0 for any other name.
pid_t writer_of(const std::string& name, const std::string& start) {
    const std::size_t random = std::strlen(kRandomPart);
    if (name.size() < start.size() + 2 + random || name.compare(0, start.size(), start) != 0 ||
        name[name.size() - random - 1] != '.') {
        return 0;
    }
    const std::string pid = name.substr(start.size(), name.size() - random - 1 - start.size());
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return static_cast<pid_t>(std::atol(pid.c_str()));
}

// A run killed while writing leaves its temporary file behind. The next run on this host and in
// this pid namespace that writes the same file removes those whose writer is gone; a writer still
// running is a concurrent run, and a file of another host or namespace may be in flight there (its
// pid means nothing here): both are left alone, as is everything when the namespace is unknown.
void remove_abandoned_temporaries(const std::string& target, const std::string& host) {
    const std::string folder = folder_of(target);
    const std::string start = temporary_start(name_in_folder(target), host);
    const std::string unknown = std::string(".") + kUnknownNamespace;
    if (host.size() >= unknown.size() &&
        host.compare(host.size() - unknown.size(), unknown.size(), unknown) == 0) {
        return;
    }
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) {
        return;  // an unreadable folder leaves nothing to clean up
    }
    while (const dirent* entry = readdir(listing)) {
        const pid_t writer = writer_of(entry->d_name, start);
        if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH) {
            unlinkat(dirfd(listing), entry->d_name, 0);  // may be gone already
        }
    }
    closedir(listing);
}

// The permissions a new file gets: 0666 less the umask.
mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Resolves the file the path's text replaces; false with errno set when the path cannot be an
// output (a folder, a link loop).
bool resolve_target(const std::string& path, bool own_name, Target& target) {
    target.path = path;
    struct stat status {};
    if (own_name) {
        // Only a folder stops the rename; nothing at the name is followed or opened.
        target.mode = new_file_mode();
        errno = EISDIR;
        return lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode);
    }
    if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        // Written through the path itself: the links to it may be the kernel's own
        // (/dev/stdout -> /proc/self/fd/1 -> "pipe:[...]"), which only open follows.
        errno = EISDIR;
        target.through = !S_ISDIR(status.st_mode);
        return target.through;
    }
    if (!follow_final_links(target.path)) {
        return false;
    }
    if (stat(target.path.c_str(), &status) != 0) {
        target.mode = new_file_mode();
        return errno == ENOENT;
    }
    target.mode = status.st_mode & 07777;
    return true;
}

bool write_all(int descriptor, const char* text, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t written = write(descriptor, text + done, size - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool write_text(int descriptor, const FileText& file) {
    if (file.pieces) {
        return file.pieces([descriptor](const char* piece, std::size_t size) {
            return write_all(descriptor, piece, size);
        });
    }
    return write_all(descriptor, file.text.data(), file.text.size());
}

// Creates the target's temporary file with the text, flushed to disk; false with errno set (and
// nothing left behind) when it cannot.
// Creates an empty temporary file for the target, after removing abandoned ones; its descriptor,
// or -1 with errno set.
int create_temporary(const Target& target, const std::string& host, std::string* name) {
    remove_abandoned_temporaries(target.path, host);
    *name = folder_of(target.path) + "/" + temporary_start(name_in_folder(target.path), host) +
            std::to_string(getpid()) + "." + kRandomPart;
    return mkostemp(name->data(), O_CLOEXEC | O_NOFOLLOW);
}

bool write_temporary(Target& target, const FileText& file, const std::string& host) {
    std::string name;
    const int descriptor = create_temporary(target, host, &name);
    if (descriptor < 0) {
        return false;
    }
    bool written = fchmod(descriptor, target.mode) == 0 && write_text(descriptor, file) &&
                   fsync(descriptor) == 0;
    int error = errno;
    if (close(descriptor) != 0 && written) {  // a full disk may show only here
        written = false;
        error = errno;
    }
    if (!written) {
        unlink(name.c_str());
        errno = error;
        return false;
    }
    target.temporary = name;
    return true;
}

// Writes an existing device or FIFO in place. The open does not wait: a FIFO that no one reads
// fails at once (ENXIO) instead of holding the run for ever; the writes then wait for the reader
// as usual.
bool write_through(const Target& target, const FileText& file) {
    const int descriptor = open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return false;
    }
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        close(descriptor);
        errno = error;
        return false;
    }
    bool written = write_text(descriptor, file);
    int error = errno;
    if (close(descriptor) != 0 && written) {
        written = false;
        error = errno;
    }
    errno = error;
    return written;
}

// Renames the temporary file over the target and flushes the folder, so that the rename itself
// survives a crash.
bool put_in_place(const Target& target) {
    if (rename(target.temporary.c_str(), target.path.c_str()) != 0) {
        return false;
    }
    const int folder = open(folder_of(target.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        // Some file systems cannot flush a folder; the file is in place all the same.
        fsync(folder);
        close(folder);
    }
    return true;
}

}  // namespace

bool replace_files(const std::vector<FileText>& files, std::string* failed_path,
                   std::string* reason) {
    std::vector<Target> targets(files.size());
    const auto fail = [&](std::size_t index) {
        *failed_path = files[index].path;
        *reason = std::strerror(errno);
        for (const Target& target : targets) {
            if (!target.temporary.empty()) {
                unlink(target.temporary.c_str());
            }
        }
        return false;
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!resolve_target(files[i].path, files[i].own_name, targets[i])) {
            return fail(i);
        }
    }
    const std::string host = writer_place();
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!targets[i].through && !write_temporary(targets[i], files[i], host)) {
            return fail(i);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        Target& target = targets[i];
        if (target.through ? !write_through(target, files[i]) : !put_in_place(target)) {
            return fail(i);
        }
        target.temporary.clear();
    }
    return true;
}

bool replace_file_with_link(const std::string& source, const std::string& file_name,
                            std::string* reason) {
    Target target;
    if (!resolve_target(file_name, true, target)) {
        *reason = std::strerror(errno);
        return false;
    }
    // Renaming a link over another link to the same file does nothing and would leave the
    // temporary name behind: a refreshed export that is already the link stays as it is.
    struct stat existing {};
    struct stat picked {};
    if (lstat(file_name.c_str(), &existing) == 0 && stat(source.c_str(), &picked) == 0 &&
        existing.st_dev == picked.st_dev && existing.st_ino == picked.st_ino) {
        return true;
    }
    std::string name;
    const int descriptor = create_temporary(target, writer_place(), &name);
    if (descriptor < 0) {
        *reason = std::strerror(errno);
        return false;
    }
    // The unpredictable name is freed for the link, which fails rather than follow or replace
    // anything another user could plant there meanwhile.
    close(descriptor);
    unlink(name.c_str());
    if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    target.temporary = name;
    if (!put_in_place(target)) {
        *reason = std::strerror(errno);
        unlink(name.c_str());
        return false;
    }
    return true;
}

bool replace_file(const std::string& file_name, const std::string& text, std::string* reason,
                  bool own_name) {
    std::string failed_path;
    return replace_files({{file_name, text, own_name}}, &failed_path, reason);
}

}  // namespace bestfocus
