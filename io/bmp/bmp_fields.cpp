#include "bmp_fields.h"

#include "little_endian.h"

namespace bestfocus {

bool known_bmp_header_size(std::uint32_t size) {
    return size == kBmpCoreHeaderBytes || size == kBmpInfoHeaderBytes || size == 52 || size == 56 ||
           size == 108 || size == 124;
}

std::optional<BmpFields> read_bmp_fields(const unsigned char* bytes, std::size_t length) {
    if (length < kBmpFileHeaderBytes + 4 || bytes[0] != 'B' || bytes[1] != 'M') {
        return std::nullopt;
    }
    BmpFields fields;
    fields.header_size = u32_at(bytes + kBmpFileHeaderBytes);
    if (!known_bmp_header_size(fields.header_size) ||
        length < kBmpFileHeaderBytes + fields.header_size) {
        return std::nullopt;
    }
    fields.pixel_offset = u32_at(bytes + 10);
    const unsigned char* header = bytes + kBmpFileHeaderBytes;
    if (fields.header_size == kBmpCoreHeaderBytes) {
        fields.width = u16_at(header + 4);
        fields.height = u16_at(header + 6);
        fields.planes = u16_at(header + 8);
        fields.bits_per_pixel = u16_at(header + 10);
        return fields;
    }
    fields.width = static_cast<std::int32_t>(u32_at(header + 4));
    fields.height = static_cast<std::int32_t>(u32_at(header + 8));
    fields.planes = u16_at(header + 12);
    fields.bits_per_pixel = u16_at(header + 14);
    fields.compression = u32_at(header + 16);
    fields.colours_used = u32_at(header + 32);
    return fields;
}

}  // namespace bestfocus
