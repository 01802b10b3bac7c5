// A float map read back is taken in either byte order a TIFF may have: the files here are written
// byte by byte from the TIFF 6.0 layout (header, one strip, one directory), not by our writer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "piece_maps.h"
#include "piece_record.h"

namespace bestfocus {
namespace {

// Appends `value`'s `size` low bytes in the file's byte order.
void put(std::string* bytes, std::uint32_t value, int size, bool big_endian) {
    for (int i = 0; i < size; ++i) {
        const int shift = 8 * (big_endian ? size - 1 - i : i);
        bytes->push_back(static_cast<char>((value >> shift) & 0xff));
    }
}

// A one-strip, uncompressed, gray TIFF of 32-bit IEEE floats (SampleFormat 3).
std::string float_tiff(const std::vector<float>& values, int width, int height, bool big_endian) {
    std::string bytes = big_endian ? "MM" : "II";
    put(&bytes, 42, 2, big_endian);
    const std::uint32_t strip = 8;
    const std::uint32_t strip_bytes = static_cast<std::uint32_t>(values.size() * 4);
    put(&bytes, strip + strip_bytes, 4, big_endian);  // the directory follows the strip
    for (const float value : values) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        put(&bytes, bits, 4, big_endian);
    }
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t value;
    };
    const std::vector<Entry> entries = {{256, 4, std::uint32_t(width)},
                                        {257, 4, std::uint32_t(height)},
                                        {258, 3, 32},
                                        {259, 3, 1},
                                        {262, 3, 1},
                                        {273, 4, strip},
                                        {277, 3, 1},
                                        {278, 4, std::uint32_t(height)},
                                        {279, 4, strip_bytes},
                                        {339, 3, 3}};
    put(&bytes, static_cast<std::uint32_t>(entries.size()), 2, big_endian);
    for (const Entry& entry : entries) {
        put(&bytes, entry.tag, 2, big_endian);
        put(&bytes, entry.type, 2, big_endian);
        put(&bytes, 1, 4, big_endian);
        // A SHORT sits in the first two bytes of the value field, a LONG fills it.
        put(&bytes, entry.value, entry.type == 3 ? 2 : 4, big_endian);
        if (entry.type == 3) put(&bytes, 0, 2, big_endian);
    }
    put(&bytes, 0, 4, big_endian);  // no further directory
    return bytes;
}

struct ByteOrderCase {
    const char* name;
    bool big_endian;
    MapKind kind;
    std::vector<float> values;  // 3 x 2; swapped, depths of 1 to 20 read as tiny numbers
};

class MapByteOrder : public testing::TestWithParam<ByteOrderCase> {};

TEST_P(MapByteOrder, AFloatMapIsReadInItsFilesByteOrder) {
    const ByteOrderCase& tested = GetParam();
    const std::string file_bytes = float_tiff(tested.values, 3, 2, tested.big_endian);
    const std::string path = testing::TempDir() + "/" + tested.name + ".tif";
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file_bytes.data(), 1, file_bytes.size(), out);
    std::fclose(out);
    MapFile map;
    map.kind = tested.kind;
    map.source = path;
    map.width = 3;
    map.height = 2;
    map.least = tested.kind == MapKind::depth ? 1 : 0;
    map.most = tested.kind == MapKind::depth ? 20 : 1;
    map.recorded = MapRecord{file_bytes.size(), sha256_hex(file_bytes)};
    std::string read;
    std::string problem;
    EXPECT_TRUE(read_map_file(map, &read, &problem)) << problem;
    EXPECT_EQ(read, file_bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Maps, MapByteOrder,
    testing::Values(
        ByteOrderCase{"little_depth", false, MapKind::depth, {1, 2.5f, 19.75f, 3, 20, 1.125f}},
        ByteOrderCase{"big_depth", true, MapKind::depth, {1, 2.5f, 19.75f, 3, 20, 1.125f}}),
    [](const testing::TestParamInfo<ByteOrderCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bestfocus
