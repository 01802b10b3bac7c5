// The report: the sharpest image of every folder and the elapsed time.
#pragma once

#include <string>
#include <vector>

// "BestFocus_AutofocusStacks_Folder_<first>_to_<last>_method_<method>.txt"
std::string report_file_name(int first_folder, int last_folder, int method);

// One "%d\n" line per folder, then "\nTotal time: %f seconds...".
std::string report_text(const std::vector<int>& best_images, double seconds);

// Writes the report text with replace_file: an earlier report is replaced only by a complete new
// one. Returns false, with the system's reason in *reason, when it cannot be written.
bool write_report(const std::string& file_name, const std::vector<int>& best_images, double seconds,
                  std::string* reason);
