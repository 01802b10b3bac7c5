// The report: the sharpest image of every folder and the elapsed time, written by the tool and
// read back by the merge.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bestfocus {

// "BestFocus_AutofocusStacks_Folder_<first>_to_<last>_method_<method>.txt"
std::string report_file_name(int first_folder, int last_folder, int method);

struct ReportName {
    int first_folder = 0;
    int last_folder = 0;
    int method = 0;
};

// The numbers of a name report_file_name wrote; nothing for any other name, including ones whose
// numbers do not fit an int or are not written as report_file_name writes them.
std::optional<ReportName> parse_report_file_name(const std::string& name);

// "\nTotal time: %f seconds...", the report's last line.
std::string time_line(double seconds);

// One "%d\n" line per folder, then the time line.
std::string report_text(const std::vector<int>& best_images, double seconds);

// The longest time a report read back may give: a hundred years, so that a time line is short.
constexpr double kLongestReportSeconds = 100.0 * 366 * 24 * 3600;

struct Report {
    std::vector<int> best_images;
    double seconds = 0;
};

// The report of `folders` folders as report_text writes it: picks of at least 1 and a time of 0
// to kLongestReportSeconds, every number written as report_text writes it; nothing otherwise.
std::optional<Report> parse_report(const std::string& text, std::int64_t folders);

// The most bytes a report of that many folders can take.
std::uint64_t longest_report_bytes(std::int64_t folders);

// Writes the report text with replace_file: an earlier report is replaced only by a complete new
// one. Returns false, with the system's reason in *reason, when it cannot be written.
bool write_report(const std::string& file_name, const std::vector<int>& best_images, double seconds,
                  std::string* reason);

}  // namespace bestfocus
