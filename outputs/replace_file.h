// Writing an output file so that readers never see it half written.
#pragma once

#include <string>

// Writes the text to a temporary file beside file_name ("<file_name>.tmp.<pid>") and renames it
// over file_name only when completely written and closed, so an earlier file is replaced only by
// a complete new one. Returns false, with the temporary file removed and the system's reason in
// *reason (strerror), when any step fails. Temporary files of this name left by runs killed while
// writing it are removed first; those of runs still alive are theirs.
bool replace_file(const std::string& file_name, const std::string& text, std::string* reason);
