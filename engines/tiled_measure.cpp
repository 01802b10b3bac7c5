#include "tiled_measure.h"

#include <omp.h>

#include <memory>

#include "banded_measure.h"

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

// The view and its tiles measured one by one: for an engine that measures images only whole.
Measurement measure_tile_by_tile(const Engine& engine, const ImageView& image,
                                 const TileEdges& edges, const std::vector<int>& methods) {
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

}  // namespace

Measurement measure_each_tile(const Engine& engine, const ImageView& image, const TileEdges& edges,
                              const std::vector<int>& methods) {
    // On an engine that measures in bands, the view is one band and its terms are computed once
    // for the view and its tiles alike, its rows shared by the engine's team as measure() shares
    // them.
    const int team = engine.image_team();
    std::vector<std::unique_ptr<BandedMeasure>> parts;
    for (int k = 0; k < team; ++k) {
        parts.push_back(engine.measure_in_bands(image.width, image.height, image.depth, methods));
        if (!parts.back()) {
            return measure_tile_by_tile(engine, image, edges, methods);
        }
        parts.back()->measure_tiles(edges);
    }
    const long long height = image.height;
#pragma omp parallel for num_threads(team) schedule(static) if (team > 1)
    for (int k = 0; k < team; ++k) {
        BandedMeasure& part = *parts[static_cast<std::size_t>(k)];
        part.only_term_rows(static_cast<int>(height * k / team),
                            static_cast<int>(height * (k + 1) / team));
        part.add(image, 0);
    }
    for (int k = 1; k < team; ++k) {
        parts.front()->add_totals(*parts[static_cast<std::size_t>(k)]);
    }
    return parts.front()->result();
}

}  // namespace bestfocus
