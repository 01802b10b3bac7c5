// What a run leaves behind once its scan is done: one report per method, the scores and summary
// files when asked for, and a warning on standard error for every flagged folder.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "folder_scores.h"

namespace bestfocus {

// Writes the reports in the order of the methods, then the files config.outputs asks for (the page
// naming `engine` as what measured the images). A file that cannot be written is named on
// standard error with the system's reason (a report also with "No se puede crear archivo de
// salida..." on standard output) and the others are still written. Returns the exit status:
// 0 when everything was written, 1 otherwise.
int write_run_outputs(const RunConfig& config, const std::vector<FolderScores>& folders,
                      double seconds, const std::string& engine);

// One line per folder whose curve under some method is doubtful (see focus_curve.h), e.g.
// "bestfocus: folder 12 flagged: Vollath F4 picks 20 of 20 (edge), MDCT picks 3 of 20 (flat)".
std::string flagged_folder_lines(const std::vector<FolderScores>& folders);

}  // namespace bestfocus
