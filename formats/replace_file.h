// Writing output files so that readers never see one half written.
#pragma once

#include <string>
#include <vector>

namespace bestfocus {

// Writes the text to a temporary file beside file_name ("<file_name>.tmp.<pid>") and renames it
// over file_name only when completely written and closed, so an earlier file is replaced only by
// a complete new one. Returns false, with the temporary file removed and the system's reason in
// *reason (strerror), when any step fails. Temporary files of this name left by runs killed while
// writing it are removed first; those of runs still alive are theirs.
bool replace_file(const std::string& file_name, const std::string& text, std::string* reason);

struct FileText {
    std::string path;
    std::string text;
};

// Like replace_file for a set of files, each put in place only once all are written. Returns
// false, with the file that failed in *failed_path and the reason in *reason, when any write
// fails; the temporary files are then removed. A rename fails only on a broken folder: files put
// in place before it stay.
bool replace_files(const std::vector<FileText>& files, std::string* failed_path,
                   std::string* reason);

}  // namespace bestfocus
