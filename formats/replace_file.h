// Writing output files so that readers never see one half written, and so that no one else's file
// is ever replaced through them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace bestfocus {

// Writes the next piece of a file's text; false when it cannot (errno says why).
using PieceWriter = std::function<bool(const char* piece, std::size_t size)>;

struct FileText {
    std::string path;
    std::string text;
    // A name the tool makes itself inside a folder the user chose (an exported pick): whatever
    // lies at that name (a file, a symbolic link, a FIFO, a device) is replaced by the rename and
    // never opened or followed; the new file gets the permissions the umask leaves of 0666.
    bool own_name = false;
    // When set, the text is not held but made as it is written: `pieces` hands it to the writer
    // given, piece after piece, and returns false as soon as a piece cannot be written (text is
    // then unused). Large files so never lie whole in memory.
    std::function<bool(const PieceWriter&)> pieces = nullptr;
};

// Writes every file, each put in place only once all are written:
// - an existing device or FIFO (also reached through links) is written through, as the shell's
//   redirection would, once every other file is ready; a FIFO without a reader then fails with
//   ENXIO rather than wait for one;
// - otherwise the text goes to a new temporary file in the folder of the file replaced (for a
//   symbolic link, its target: the link keeps pointing there), created with O_CREAT | O_EXCL |
//   O_NOFOLLOW at an unpredictable name that carries the host, the pid namespace, the process id
//   and a random part
//   and fits NAME_MAX for any legal final name, with the permissions the final file gets (an
//   existing file's, else those the umask leaves of 0666); it is flushed to disk, renamed over the
//   file, and the folder flushed, so that a crash leaves the old file or the complete new one.
// Temporary files of the same final file left by runs of this host and pid namespace that are gone
// are removed; those of live runs, of other hosts (on a shared file system) and of other pid
// namespaces (containers sharing the host's name) are theirs.
// Returns false with the file that failed in *failed_path and the system's reason (strerror) in
// *reason when any step fails: a folder as an output fails before anything is written, a write
// removes every temporary file. A rename fails only on a broken folder: files put in place before
// it stay.
bool replace_files(const std::vector<FileText>& files, std::string* failed_path,
                   std::string* reason);

// replace_files for one file.
bool replace_file(const std::string& file_name, const std::string& text, std::string* reason,
                  bool own_name = false);

// Puts a hard link to the existing file `source` at file_name, a name of the tool's own (see
// FileText::own_name): through a temporary name beside it, renamed over whatever is there. A
// file_name that already is a link to source is left as it is. False with the system's reason when
// it cannot (the two are on different file systems: EXDEV's reason); file_name is then unchanged.
bool replace_file_with_link(const std::string& source, const std::string& file_name,
                            std::string* reason);

// The marker in a temporary file's name, between the final name (cut short when long) and the
// host: "<name>.tmp.<host>.<pid namespace>.<pid>.<random>".
constexpr char kTemporaryMarker[] = ".tmp.";

}  // namespace bestfocus
