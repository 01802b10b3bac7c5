#include "report_file.h"

#include <cstdio>

#include "replace_file.h"
#include "text_numbers.h"

namespace bestfocus {
namespace {

constexpr char kNameStart[] = "BestFocus_AutofocusStacks_Folder_";
constexpr char kTimeLineStart[] = "\nTotal time: ";

}  // namespace

std::string report_file_name(int first_folder, int last_folder, int method) {
    return kNameStart + std::to_string(first_folder) + "_to_" + std::to_string(last_folder) +
           "_method_" + std::to_string(method) + ".txt";
}

std::optional<ReportName> parse_report_file_name(const std::string& name) {
    const std::string start = kNameStart;
    const std::string suffix = ".txt";
    if (name.size() < start.size() + suffix.size() || name.compare(0, start.size(), start) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::nullopt;
    }
    const std::string numbers =
        name.substr(start.size(), name.size() - start.size() - suffix.size());
    const std::size_t to = numbers.find("_to_");
    const std::size_t method = numbers.find("_method_", to == std::string::npos ? 0 : to);
    ReportName parsed;
    if (to == std::string::npos || method == std::string::npos ||
        !parse_canonical_int(numbers.substr(0, to), parsed.first_folder) ||
        !parse_canonical_int(numbers.substr(to + 4, method - to - 4), parsed.last_folder) ||
        !parse_canonical_int(numbers.substr(method + 8), parsed.method)) {
        return std::nullopt;
    }
    return parsed;
}

std::string time_line(double seconds) {
    const char* const format = "\nTotal time: %f seconds...";
    std::string line(static_cast<std::size_t>(std::snprintf(nullptr, 0, format, seconds)), '\0');
    // Writes the terminator over line[size()], which std::string keeps as '\0' anyway.
    std::snprintf(line.data(), line.size() + 1, format, seconds);
    return line;
}

std::string report_text(const std::vector<int>& best_images, double seconds) {
    std::string text;
    for (const int image : best_images) {
        text += std::to_string(image) + "\n";
    }
    return text + time_line(seconds);
}

std::optional<Report> parse_report(const std::string& text, std::int64_t folders) {
    Report report;
    std::size_t at = 0;
    for (std::int64_t folder = 0; folder < folders; ++folder) {
        const std::size_t end = text.find('\n', at);
        int pick = 0;
        if (end == std::string::npos || !parse_canonical_int(text.substr(at, end - at), pick) ||
            pick < 1) {
            return std::nullopt;
        }
        report.best_images.push_back(pick);
        at = end + 1;
    }
    const std::string start = kTimeLineStart;
    const std::string rest = text.substr(at);
    const std::size_t number_end = rest.rfind(" seconds...");
    if (rest.compare(0, start.size(), start) != 0 || number_end == std::string::npos ||
        number_end < start.size() ||
        !parse_whole_double(rest.substr(start.size(), number_end - start.size()), report.seconds) ||
        !(report.seconds >= 0 && report.seconds <= kLongestReportSeconds) ||
        time_line(report.seconds) != rest) {
        return std::nullopt;
    }
    return report;
}

std::uint64_t longest_report_bytes(std::int64_t folders) {
    const std::uint64_t longest_line = std::to_string(2147483647).size() + 1;
    return static_cast<std::uint64_t>(folders < 0 ? 0 : folders) * longest_line +
           time_line(kLongestReportSeconds).size();
}

bool write_report(const std::string& file_name, const std::vector<int>& best_images, double seconds,
                  std::string* reason) {
    return replace_file(file_name, report_text(best_images, seconds), reason);
}

}  // namespace bestfocus
