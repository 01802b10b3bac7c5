// The pages of a TIFF file: where each page's directory begins, found in one walk of the chain,
// and the reading of one page of the kind most microscopes write (gray, 8 or 16 bits, in strips or
// tiles) from its directory alone, so that reading every page of a file is linear in their count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "own_read.h"
#include "read_buffer.h"

namespace bestfocus {

struct TiffPageIndex {
    // Where each page's directory begins, in page order: the pages that could be reached.
    std::vector<std::uint64_t> directory_offsets;
    // The chain of directories breaks before its end (it points past the end of the file, into a
    // loop, or at something that is not a directory), or the file cannot be opened as a TIFF.
    bool damaged = false;
};

// Walks the file's chain of directories once. The file must have a TIFF signature.
TiffPageIndex index_tiff_pages(const std::string& file);

// The page whose directory begins at `directory_offset` (0: the file's first page), when it is
// gray (minimum is black), 8 or 16 bits unsigned, stored in strips or tiles without or with lossless
// compression (LZW, Deflate, PackBits), top row first: its rows where they lie in the file when
// they lie there uncompressed and back to back (read with read_stored_rows), otherwise the page
// decoded into the buffer; either way exactly the pixels OpenCV decodes with IMREAD_ANYDEPTH.
// Unreadable when such a page cannot be read (a strip or tile cut short, a directory that is not
// there); not ours when the page is of another kind, for OpenCV.
OwnRead find_gray_tiff_page(const std::string& file, std::uint64_t directory_offset,
                            ReadBuffer& buffer);

// The same, with rows that lie in the file read into the buffer: the whole page.
OwnRead read_gray_tiff_page(const std::string& file, std::uint64_t directory_offset,
                            ReadBuffer& buffer);

}  // namespace bestfocus
