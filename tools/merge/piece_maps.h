// The depth maps, all-in-focus images and confidence maps of a run's pieces (one file per folder
// in the piece's depth/, focused/ and confidence/ folders, named as bestfocus names them), checked
// against the piece's tile summary and gathered into one folder each.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "piece_outputs.h"

namespace bestfocus {

// The folders the array script has a piece's maps written into.
constexpr char kPieceDepthMapFolder[] = "depth/";
constexpr char kPieceAllInFocusFolder[] = "focused/";
constexpr char kPieceConfidenceMapFolder[] = "confidence/";

enum class MapKind { depth, all_in_focus, confidence };

// One folder's map file to gather, with what it must be.
struct MapFile {
    MapKind kind = MapKind::depth;
    std::string source;       // the piece's file
    std::string destination;  // in the folder gathered into
    long long width = 0;      // the area the folder's tiles split
    long long height = 0;
    // A float map's values lie in [least, most]: a depth map's between the first and the last
    // image (at least the first where the merged tables do not tell the count), a confidence map's
    // in 0..1.
    double least = 1;
    double most = 1;
    // What the piece recorded of the file when it wrote it; nothing when it recorded nothing.
    std::optional<MapRecord> recorded;
};

// The folder's own name in the map files' names, as bestfocus names them: the name the checked
// --folder-names format gives it (a multi-page file's, one whose format ends in an extension
// after the number, without that extension), its last path part.
std::string map_folder_name(const std::string& checked_folder_names, int folder);

// The map of `kind` of the folder in the piece, to be written into `destination_folder`; the
// piece's tile summary must hold the folder. `images` is the stack's image count, 0 when unknown.
MapFile piece_map_file(const PieceContents& contents, int folder, MapKind kind, int images,
                       const std::string& folder_name, const std::string& destination_folder);

// Reads the source into *bytes and checks it: a regular file holding one page of the tiles' area,
// of 32-bit floats in [least, most] for a depth or confidence map, of 8- or 16-bit gray for an
// all-in-focus image; bytes of the size and SHA-256 its piece recorded. False with *problem naming
// the file otherwise.
bool read_map_file(const MapFile& file, std::string* bytes, std::string* problem);

}  // namespace bestfocus
