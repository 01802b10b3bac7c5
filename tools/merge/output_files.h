// Writes a set of files so that each appears only complete and only if all could be written.
#pragma once

#include <string>
#include <vector>

#include "run_merge.h"

// Writes every file to a temporary name beside it, and renames them all into place once all are
// written. Returns false with `problem` set, and the temporary files removed, when any write
// fails; files renamed before a failing rename stay (a rename fails only on a broken folder).
bool write_output_files(const std::vector<OutputFile>& files, std::string& problem);
