// The inputs of a run, checked before anything is allocated or decoded: every folder of the range
// and every image of each folder must exist as a regular file. The walk goes in folder, then image
// order and stops at the first problem, so a run always names the same file.
#pragma once

#include <optional>
#include <string>

#include "command_line.h"

// The first image of the run that cannot be opened.
struct MissingInput {
    std::string image_path;
    std::string folder_path;      // the image's folder
    bool folder_missing = false;  // the folder itself is not there (the image is then its first)
};

// Nothing when every image of folders config.first_folder..config.last_folder (none when last <
// first) is a regular file or a link to one.
std::optional<MissingInput> first_missing_input(const RunConfig& config);

// Ends the run as an unreadable image does: "\nNo se puede abrir el archivo: <image>" on standard
// output, status 1. When the folder is missing, one line on standard error says so first and
// recalls that the base folder is a prefix of the folder names, normally ending in "/".
[[noreturn]] void end_run_on_missing_input(const MissingInput& missing,
                                           const std::string& base_folder);
