// The report: the sharpest image of every folder and the elapsed time.
#pragma once

#include <string>
#include <vector>

// "BestFocus_AutofocusStacks_Folder_<first>_to_<last>_method_<method>.txt"
std::string report_file_name(int first_folder, int last_folder, int method);

// Writes one "%d\n" line per folder, then "\nTotal time: %f seconds...". The text goes to a
// temporary file beside the report, which replaces the report only when completely written, so
// an earlier report is never left truncated. Returns 0 when written; when a step fails, the
// temporary file is removed and the errno of that step returned. Temporary files of this report
// left by runs killed while writing it are removed.
int write_report(const std::string& file_name, const std::vector<int>& best_images, double seconds);
