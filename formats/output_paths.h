// Output paths checked before any work: which file a path names, whether two paths name the same
// file, and whether a path can be written as an output at all.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bestfocus {

// A text that two paths share exactly when they name the same file, once `.`, `..` and symbolic
// links (also one whose target does not exist yet) are resolved: the device and inode of an
// existing file, else those of its resolved folder and its name in it. Empty when the folder
// cannot be resolved (it does not exist, or a link loops).
std::string file_identity(const std::string& path);

// A path with what it is for, to name it in messages ("--scores", "the report").
struct NamedPath {
    std::string what;
    std::string path;
    // A name the tool makes itself in a folder (an exported pick): what lies there is replaced,
    // never followed, so the path names its folder entry and no file behind it.
    bool own_name = false;
};

// Every text that stands for what writing the path replaces or reading it reads: for an own name,
// its folder entry alone; otherwise file_identity and the entry of each name along its chain of
// final symbolic links (each as its resolved folder's device and inode and the name). Texts a
// path cannot resolve are left out.
std::vector<std::string> path_identities(const NamedPath& path);

// The indexes of the first two paths (in order of the second, then the first) that share an
// identity; nothing when no two do.
std::optional<std::pair<std::size_t, std::size_t>> first_collision(
    const std::vector<NamedPath>& paths);

constexpr char kIsAFolder[] = "is a folder";

// Why the path cannot be written as an output file, in the system's words (strerror), or
// kIsAFolder; nothing when it can: an existing device or FIFO that can be opened for writing, or a
// file (new or existing, through links) in a folder where files can be created.
std::optional<std::string> output_problem(const std::string& path);

// The folder of a path ("." for a bare name) and the name in it.
std::string folder_of(const std::string& path);
std::string name_in_folder(const std::string& path);

// The path with a final symbolic link replaced by what it points to, as often as it is one: the
// file that writing through the path replaces. False with errno set when the links loop or cannot
// be read.
bool follow_final_links(std::string& path);

}  // namespace bestfocus
