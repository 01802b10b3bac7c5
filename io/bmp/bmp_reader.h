// Our reader of the BMP files microscopes write: uncompressed, 8 bits a pixel with any palette, or
// 24 and 32 bits a pixel converted to gray as OpenCV converts them; bottom-up or top-down, rows
// padded to 4 bytes. The pixel rows are read with pread into the caller's memory and used where
// they land: a bottom-up file gives a view with a negative row stride.
#pragma once

#include <cstdint>

#include "own_read.h"
#include "read_buffer.h"

namespace bestfocus {

// Where the file's rows lie, when it is a BMP of the kind read here and its headers pass
// check_bmp_bytes (bmp_header_check.h): read with read_stored_rows, they are 8-bit gray, exactly
// the pixels OpenCV's imread gives with IMREAD_ANYDEPTH. Unreadable when its headers fail the
// check; not ours for other files (no "BM" signature, run-length encoding, bit fields, 1, 4 or 16
// bits a pixel, the OS/2 header), which OpenCV decodes after the same check.
OwnRead find_own_bmp_rows(int fd, std::uint64_t file_size);

// The same, with the rows read into the buffer: the whole image, or unreadable when its rows cannot
// be read.
OwnRead read_own_bmp(int fd, std::uint64_t file_size, ReadBuffer& buffer);

}  // namespace bestfocus
