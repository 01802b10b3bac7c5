// The best stacks of a run's pieces (best_stack.tif, one page per folder of the piece), read as
// untrusted input and joined in folder order.
#pragma once

#include <string>
#include <vector>

#include "piece_outputs.h"
#include "tiff_bytes.h"

namespace bestfocus {

// The file name the array script gives a piece's best stack.
constexpr const char kPieceBestStackFile[] = "best_stack.tif";

// Reads the piece's best stack into *pages, one per folder of the piece in order. Every page must
// name its folder and an image that one of the piece's reports picks for it, as bestfocus
// describes a page ("folder 11, image 7: <where it was read>"), and hold that image's pixels at its
// depth, read again from where the description says; each page's description is then written
// afresh from the checked folder, image and place. False with *problem set, naming the piece,
// otherwise.
bool read_piece_best_stack(const PieceContents& contents, std::vector<TiffPage>* pages,
                           std::string* problem);

}  // namespace bestfocus
