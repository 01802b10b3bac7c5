#include "piece_outputs.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <system_error>

#include "text_numbers.h"

namespace {

bool read_whole_file(const std::string& path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    bytes = text.str();
    return file.good() || file.eof();
}

// A report as bestfocus writes it: one "%d\n" line per folder, then "\nTotal time: %f seconds...".
bool parse_report(const std::string& bytes, int folders, std::vector<int>& picks) {
    static const std::regex time_line("\nTotal time: -?[0-9]+\\.[0-9]+ seconds\\.\\.\\.");
    std::istringstream lines(bytes);
    std::string line;
    picks.clear();
    for (int folder = 0; folder < folders; ++folder) {
        int pick = 0;
        if (!std::getline(lines, line) || lines.eof() || !parse_whole_int(line, pick)) {
            return false;
        }
        picks.push_back(pick);
    }
    const std::size_t rest = static_cast<std::size_t>(lines.tellg());
    return rest <= bytes.size() && std::regex_match(bytes.substr(rest), time_line);
}

}  // namespace

std::string report_file_name(int first_folder, int last_folder, int method) {
    return "BestFocus_AutofocusStacks_Folder_" + std::to_string(first_folder) + "_to_" +
           std::to_string(last_folder) + "_method_" + std::to_string(method) + ".txt";
}

bool read_piece_reports(const RunPiece& piece, std::map<int, std::vector<int>>& picks_by_method,
                        std::string& problem) {
    namespace fs = std::filesystem;
    const std::regex report_name(
        "BestFocus_AutofocusStacks_Folder_(-?[0-9]+)_to_(-?[0-9]+)_method_"
        "(-?[0-9]+)\\.txt");
    picks_by_method.clear();
    std::error_code error;
    for (fs::directory_iterator entry(piece.path, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::smatch match;
        int first = 0;
        int last = 0;
        int method = 0;
        if (!std::regex_match(name, match, report_name) || !parse_whole_int(match[1], first) ||
            !parse_whole_int(match[2], last) || !parse_whole_int(match[3], method) ||
            first != piece.first_folder || last != piece.last_folder) {
            continue;
        }
        std::string bytes;
        if (!read_whole_file(entry->path().string(), bytes) ||
            !parse_report(bytes, last - first + 1, picks_by_method[method])) {
            problem = piece.name + ": " + name + " is not a complete report";
            return false;
        }
    }
    if (error) {
        problem = "cannot list " + piece.path + ": " + error.message();
        return false;
    }
    if (picks_by_method.empty()) {
        problem = piece.name + " holds no report of folders " + std::to_string(piece.first_folder) +
                  " to " + std::to_string(piece.last_folder);
        return false;
    }
    return true;
}

bool read_piece_table(const RunPiece& piece, const std::string& file_name, FolderTable& table,
                      std::string& problem) {
    const std::string path = piece.path + file_name;
    std::string bytes;
    if (!std::filesystem::exists(path) || !read_whole_file(path, bytes)) {
        problem = piece.name + " has no " + file_name;
        return false;
    }
    const std::string where = piece.name + "/" + file_name;
    if (bytes.empty() || bytes.back() != '\n') {
        problem = where + " does not end with a complete line";
        return false;
    }
    std::istringstream lines(bytes);
    std::getline(lines, table.header);
    table.rows_by_folder.clear();
    int previous_folder = piece.first_folder;
    for (std::string line; std::getline(lines, line);) {
        int folder = 0;
        if (!parse_whole_int(line.substr(0, line.find(',')), folder) || folder < previous_folder ||
            folder > piece.last_folder) {
            problem = where + " has a row out of folder order or out of its range: " + line;
            return false;
        }
        table.rows_by_folder[folder] += line + "\n";
        previous_folder = folder;
    }
    for (int folder = piece.first_folder; folder <= piece.last_folder; ++folder) {
        if (table.rows_by_folder.count(folder) == 0) {
            problem = where + " has no row for folder " + std::to_string(folder);
            return false;
        }
    }
    return true;
}
