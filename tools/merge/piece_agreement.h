// A piece's files must tell one story: each parses on its own (piece_outputs.h), and here they
// must also agree with each other before anything of them is merged.
#pragma once

#include <string>

#include "piece_outputs.h"

namespace bestfocus {

// True when, for every folder of the piece, the scores file (when read) holds images 1 to n, each
// under every method of the reports once, in the same method order for every image, with exactly
// one best row per method, on the image the report picks; and the summary file (when read) holds
// one row per method of the reports, whose best is the report's pick and whose focus estimate lies
// within one image of it (and within 1 to n when the scores say n). Otherwise false with `problem`
// naming the piece, the folder and what disagrees.
bool piece_agrees(const PieceContents& contents, std::string& problem);

}  // namespace bestfocus
