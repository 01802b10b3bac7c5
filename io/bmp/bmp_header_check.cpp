#include "bmp_header_check.h"

#include <algorithm>
#include <vector>

#include "bmp_fields.h"
#include "bmp_rle_check.h"
#include "file_reads.h"
#include "little_endian.h"
#include "open_file.h"

namespace bestfocus {

namespace {

bool known_format(const BmpFields& f) {
    const std::uint32_t bits = f.bits_per_pixel;
    switch (f.compression) {
        case kBmpUncompressed:
            return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32 ||
                   (bits == 16 && f.header_size != kBmpCoreHeaderBytes);
        case kBmpBitFields: return bits == 16 || bits == 32;
        // Run-length codes move down the rows from the bottom one.
        case kBmpRle8: return bits == 8 && f.height > 0;
        case kBmpRle4: return bits == 4 && f.height > 0;
        default: return false;
    }
}

bool size_within_limits(const BmpFields& f) {
    const long long rows = f.height < 0 ? -f.height : f.height;
    return f.width > 0 && rows > 0 && f.width <= kMostBmpSide && rows <= kMostBmpSide &&
           f.width * rows <= kMostBmpPixels;
}

// The palette entries the file must hold; more than 2^bits is corrupt (returned as -1).
long long palette_entries(const BmpFields& f) {
    if (f.bits_per_pixel > 8) {
        return 0;  // a palette is optional there, and decoders ignore it
    }
    const long long most = 1LL << f.bits_per_pixel;
    if (f.colours_used > most) {
        return -1;
    }
    return f.colours_used == 0 ? most : f.colours_used;
}

}  // namespace

BmpCheck check_bmp_bytes(const unsigned char* bytes, std::size_t length, std::uint64_t file_size) {
    if (length < 2 || bytes[0] != 'B' || bytes[1] != 'M') {
        return BmpCheck::not_bmp;
    }
    if (file_size < kBmpFileHeaderBytes + 4) {
        return BmpCheck::corrupt;
    }
    if (length < kBmpFileHeaderBytes + 4) {
        return BmpCheck::needs_whole_file;
    }
    const std::uint32_t header_size = u32_at(bytes + kBmpFileHeaderBytes);
    const std::uint64_t headers_end = kBmpFileHeaderBytes + header_size;
    if (!known_bmp_header_size(header_size) || file_size < headers_end) {
        return BmpCheck::corrupt;
    }
    const std::optional<BmpFields> fields = read_bmp_fields(bytes, length);
    if (!fields) {
        return BmpCheck::needs_whole_file;  // the caller gave less than kBmpHeaderBytes
    }
    const BmpFields& f = *fields;
    const long long entries = palette_entries(f);
    if (f.planes != 1 || !known_format(f) || !size_within_limits(f) || entries < 0) {
        return BmpCheck::corrupt;
    }
    // The information header (40 bytes) is followed by the three masks of a bit-fields image.
    const std::uint64_t masks =
        f.compression == kBmpBitFields && header_size == kBmpInfoHeaderBytes ? 12 : 0;
    const std::uint64_t pixel_offset = f.pixel_offset;
    if (pixel_offset <
            headers_end + masks + static_cast<std::uint64_t>(entries) * f.palette_entry_bytes() ||
        pixel_offset >= file_size) {
        return BmpCheck::corrupt;
    }
    if (f.compression == kBmpRle8 || f.compression == kBmpRle4) {
        if (length < file_size) {
            return BmpCheck::needs_whole_file;
        }
        return rle_data_fits_image(bytes + pixel_offset, file_size - pixel_offset, f.width,
                                   f.height, static_cast<int>(f.bits_per_pixel))
                   ? BmpCheck::sound
                   : BmpCheck::corrupt;
    }
    // Rows are padded to whole 32-bit words. With the limits above, no product overflows.
    const std::uint64_t row_bytes =
        (static_cast<std::uint64_t>(f.width) * f.bits_per_pixel + 31) / 32 * 4;
    return file_size - pixel_offset >= row_bytes * f.rows() ? BmpCheck::sound : BmpCheck::corrupt;
}

bool bmp_file_is_corrupt(int fd, std::uint64_t file_size) {
    std::vector<unsigned char> bytes(std::min<std::uint64_t>(file_size, kBmpHeaderBytes));
    if (!read_exactly(fd, bytes.data(), bytes.size(), 0)) {
        return false;
    }
    BmpCheck check = check_bmp_bytes(bytes.data(), bytes.size(), file_size);
    if (check == BmpCheck::needs_whole_file) {
        bytes.resize(file_size);
        if (!read_exactly(fd, bytes.data(), bytes.size(), 0)) {
            return false;
        }
        check = check_bmp_bytes(bytes.data(), bytes.size(), file_size);
    }
    return check == BmpCheck::corrupt;
}

bool bmp_file_is_corrupt(const std::string& path) {
    const OpenFile file(path);
    return file.fd() >= 0 && bmp_file_is_corrupt(file.fd(), file.size());
}

}  // namespace bestfocus
