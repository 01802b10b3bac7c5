// The pages of a TIFF file: where each page's directory begins, found in one walk of the chain,
// and the reading of one page of the kind most microscopes write (gray, 8 or 16 bits, in strips or
// tiles) from its directory alone, so that reading every page of a file is linear in their count.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image_header.h"
#include "open_file.h"
#include "own_read.h"
#include "read_buffer.h"
#include "tiff_open.h"

namespace bestfocus {

struct TiffPageIndex {
    // Where each page's directory begins, in page order: the pages that could be reached.
    std::vector<std::uint64_t> directory_offsets;
    // The chain of directories breaks before its end (it points past the end of the file, into a
    // loop, or at something that is not a directory), or the file cannot be opened as a TIFF.
    bool damaged = false;
};

// Walks the chain of directories of the file, opened once by the caller and named `name`. It
// must have a TIFF signature.
TiffPageIndex index_tiff_pages(const OpenFile& file, const std::string& name);

// A page of a file opened once by the caller, its directory read once: what it says of its pixels
// and what our reader makes of them.
struct OpenedTiffPage {
    TiffHandle handle;                  // the page's directory, read through the caller's file
    std::optional<ImageHeader> header;  // nothing when the directory cannot be read
    // Ours when the page is gray (minimum is black), 8 or 16 bits unsigned, stored in strips or
    // tiles without or with lossless compression (LZW, Deflate, PackBits), top row first: its rows
    // where they lie in the file when they lie there uncompressed and back to back (read with
    // read_stored_rows), otherwise to be decoded (decode_tiff_page); either way exactly the pixels
    // OpenCV decodes with IMREAD_ANYDEPTH. Unreadable when such a page cannot be read (a strip or
    // tile cut short, a directory that is not there); not ours when the page is of another kind,
    // for OpenCV. Nothing is decoded yet.
    OwnRead found;
};

// The page whose directory begins at `directory_offset` (0: the file's first page) of the file,
// opened once by the caller (who keeps it open while the page is used) and named `name`.
OpenedTiffPage open_tiff_page(const OpenFile& file, const std::string& name,
                              std::uint64_t directory_offset);

// A page found to be decoded, decoded into the buffer: read, or unreadable when a strip or tile
// cannot be decoded.
OwnRead decode_tiff_page(const OpenedTiffPage& page, ReadBuffer& buffer);

// The page of the file at that path, opened once, whole in the buffer: read, unreadable or not
// ours, as open_tiff_page says.
OwnRead read_gray_tiff_page(const std::string& file, std::uint64_t directory_offset,
                            ReadBuffer& buffer);

}  // namespace bestfocus
