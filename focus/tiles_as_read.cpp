#include "tiles_as_read.h"

#include <algorithm>

#include "image_measure.h"

namespace bestfocus {

TiledBands::TiledBands(const Engine& engine, int width, int height, PixelDepth depth,
                       TileEdges edges, const std::vector<int>& methods)
    : edges_(std::move(edges)), whole_(engine.measure_in_bands(width, height, depth, methods)) {
    for (std::size_t r = 0; whole_ && r + 1 < edges_.rows.size(); ++r) {
        for (std::size_t c = 0; c + 1 < edges_.columns.size(); ++c) {
            tiles_.push_back(engine.measure_in_bands(edges_.columns[c + 1] - edges_.columns[c],
                                                     edges_.rows[r + 1] - edges_.rows[r], depth,
                                                     methods));
            if (!tiles_.back()) {
                whole_.reset();  // measured whole, as the image is
            }
        }
    }
}

void TiledBands::add(const ImageView& band, int first_row) {
    whole_->add(band, first_row);
    const std::size_t columns = edges_.columns.size() - 1;
    const int end_row = first_row + band.height;
    for (std::size_t r = 0; r + 1 < edges_.rows.size(); ++r) {
        // The band's rows of this row of tiles, counted from the tiles' top row.
        const int top = std::max(first_row, edges_.rows[r]);
        const int bottom = std::min(end_row, edges_.rows[r + 1]);
        for (std::size_t c = 0; top < bottom && c < columns; ++c) {
            const RegionOfInterest part{edges_.columns[c], top - first_row,
                                        edges_.columns[c + 1] - edges_.columns[c], bottom - top};
            tiles_[r * columns + c]->add(region_of(band, part), top - edges_.rows[r]);
        }
    }
}

Measurement TiledBands::result() const {
    Measurement measurement = whole_->result();
    for (const std::unique_ptr<BandedMeasure>& tile : tiles_) {
        const Measurement values = tile->result();
        measurement.values.insert(measurement.values.end(), values.values.begin(),
                                  values.values.end());
    }
    return measurement;
}

}  // namespace bestfocus
