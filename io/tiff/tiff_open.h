// TIFF files the caller opened once, read through libtiff without the library printing anything:
// its errors and warnings go to per-handle handlers that keep quiet, so the tool's own message is
// the only one a bad file produces.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "open_file.h"

struct tiff;  // libtiff's TIFF

namespace bestfocus {

struct TiffCloser {
    void operator()(tiff* handle) const;
};
using TiffHandle = std::unique_ptr<tiff, TiffCloser>;

// Whether the file, open for reading, begins with a TIFF or BigTIFF signature ("II*\0", "MM\0*",
// "II+\0", "MM\0+").
bool has_tiff_signature(int fd);

// The page whose directory begins at byte `directory_offset` (0: the first page) of a file opened
// once by the caller, named `name` to libtiff, as if it were the first: the header's pointer to the
// first directory is replaced in what libtiff reads. Reaching a late page costs what reaching the
// first does, where libtiff's own TIFFSetSubDirectory walks the whole chain of directories on every
// fresh handle. Read with pread through the caller's descriptor, which must outlive the handle,
// never mapped: a file that shrinks while open gives read errors, not a crash. Null when the file
// does not begin with a TIFF header or libtiff refuses it.
TiffHandle open_tiff_at(const OpenFile& file, const std::string& name,
                        std::uint64_t directory_offset);

// Whether libtiff made up the strip or tile byte counts of a directory it read through `handle`
// (opened by open_tiff_at) from the page's size, the file's own being missing or wrong.
bool byte_counts_made_up(tiff* handle);

// The next-directory link stored after the directory that begins at `directory` in the file of
// `handle` (opened by open_tiff_at), as the file holds it: 0 at the end of the chain.
// Nothing when the directory or its link lies past the end of the file.
std::optional<std::uint64_t> stored_next_directory(tiff* handle, std::uint64_t directory);

}  // namespace bestfocus
