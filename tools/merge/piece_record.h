// What a slice's completion mark records of the slice beside its range and times: the options
// that shaped its outputs ("option=<the option as the script quoted it>", the method list and
// image count among them) and every map file it wrote ("map=<path in the slice> <bytes> <SHA-256
// of its bytes, hex>"). The merge joins only slices run alike, and copies only maps whose bytes
// are those their slice wrote.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bestfocus {

struct MapRecord {
    std::uint64_t bytes = 0;
    std::string sha256;  // 64 lower-case hex digits
};

struct PieceRecord {
    std::vector<std::string> options;       // in the order recorded
    std::map<std::string, MapRecord> maps;  // by path in the slice ("depth/001_depth.tif")
};

// Reads the option= and map= lines of a completion mark; false with *problem (naming the line)
// when a map line is damaged or names a map twice.
bool parse_piece_record(const std::string& mark, PieceRecord* record, std::string* problem);

// Where two slices' options differ: "folders_3_to_4 was run with --roi=0\,0\,9\,5, folders_1_to_2
// with --roi=1\,1\,8\,4" (or "without --roi"); nothing when both recorded the same options.
std::optional<std::string> options_disagreement(const std::string& name, const PieceRecord& record,
                                                const std::string& other_name,
                                                const PieceRecord& other);

// The SHA-256 of the bytes, in lower-case hex.
std::string sha256_hex(const std::string& bytes);

}  // namespace bestfocus
