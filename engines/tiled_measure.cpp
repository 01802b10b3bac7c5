#include "tiled_measure.h"

namespace bestfocus {
namespace {

ImageView part_of(const ImageView& image, int x, int y, int width, int height) {
    const std::ptrdiff_t pixel_bytes = image.depth == PixelDepth::u8 ? 1 : 2;
    ImageView part = image;
    part.pixels =
        static_cast<const unsigned char*>(image.pixels) + (y * image.row_stride + x) * pixel_bytes;
    part.width = width;
    part.height = height;
    return part;
}

}  // namespace

Measurement measure_each_tile(const Engine& engine, const ImageView& image, const TileEdges& edges,
                              const std::vector<int>& methods) {
    Measurement measurement = engine.measure(image, methods);
    for (std::size_t r = 0; r + 1 < edges.rows.size(); ++r) {
        for (std::size_t c = 0; c + 1 < edges.columns.size(); ++c) {
            if (measurement.failure != Measurement::Failure::none) {
                return measurement;
            }
            const Measurement tile = engine.measure(
                part_of(image, edges.columns[c], edges.rows[r],
                        edges.columns[c + 1] - edges.columns[c], edges.rows[r + 1] - edges.rows[r]),
                methods);
            if (tile.failure != Measurement::Failure::none) {
                return tile;
            }
            measurement.values.insert(measurement.values.end(), tile.values.begin(),
                                      tile.values.end());
        }
    }
    return measurement;
}

}  // namespace bestfocus
