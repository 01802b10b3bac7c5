#include "piece_record.h"

#include <openssl/evp.h>

#include <cstdio>
#include <sstream>

namespace bestfocus {
namespace {

// The option's name: up to its '=' ("--roi", "method"), or the whole option ("--quiet").
std::string option_name(const std::string& option) { return option.substr(0, option.find('=')); }

bool is_sha256_hex(const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// "<path> <bytes> <sha256>": the path may hold blanks, the last two fields cannot.
bool parse_map_line(const std::string& text, std::string* path, MapRecord* record) {
    const std::size_t last = text.rfind(' ');
    if (last == std::string::npos || last == 0) return false;
    const std::size_t middle = text.rfind(' ', last - 1);
    if (middle == std::string::npos || middle == 0) return false;
    *path = text.substr(0, middle);
    record->sha256 = text.substr(last + 1);
    const std::string bytes = text.substr(middle + 1, last - middle - 1);
    // Digits as the script's stat prints them: no sign, no leading zero, at most 18 of them.
    if (bytes.empty() || bytes.size() > 18 || (bytes.size() > 1 && bytes[0] == '0') ||
        bytes.find_first_not_of("0123456789") != std::string::npos ||
        !is_sha256_hex(record->sha256)) {
        return false;
    }
    record->bytes = std::stoull(bytes);
    return true;
}

}  // namespace

bool parse_piece_record(const std::string& mark, PieceRecord* record, std::string* problem) {
    std::istringstream lines(mark);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("option=", 0) == 0) {
            record->options.push_back(line.substr(7));
        } else if (line.rfind("map=", 0) == 0) {
            std::string path;
            MapRecord map;
            if (!parse_map_line(line.substr(4), &path, &map) ||
                !record->maps.emplace(path, map).second) {
                *problem = "its map line \"" + line + "\" is damaged";
                return false;
            }
        }
    }
    return true;
}

std::optional<std::string> options_disagreement(const std::string& name, const PieceRecord& record,
                                                const std::string& other_name,
                                                const PieceRecord& other) {
    const auto value_of = [](const PieceRecord& of, const std::string& option) {
        for (const std::string& each : of.options) {
            if (option_name(each) == option) return "with " + each;
        }
        return "without " + option;
    };
    for (const PieceRecord* side : {&record, &other}) {
        for (const std::string& option : side->options) {
            const std::string option_named = option_name(option);
            const std::string here = value_of(record, option_named);
            const std::string there = value_of(other, option_named);
            if (here != there) {
                return name + " was run " + here + ", " + other_name + " " + there;
            }
        }
    }
    return std::nullopt;
}

std::string sha256_hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", digest[i]);
        hex += two;
    }
    return hex;
}

}  // namespace bestfocus
