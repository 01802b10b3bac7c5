#include "tiled_measure.h"

#include <algorithm>
#include <cstdint>

#include "measure_registry.h"

namespace bestfocus {
namespace {

// What a term counts in the measure's value: one normalised pixel step squared, as measure_exactly
// divides by it.
template <class Pixel>
double step_squared() {
    constexpr double kMaxPixel = static_cast<double>(PixelTraits<Pixel>::kMaxPixel);
    return kMaxPixel * kMaxPixel;
}

ImageView part_of(const ImageView& image, int x, int y, int width, int height) {
    const std::ptrdiff_t pixel_bytes = image.depth == PixelDepth::u8 ? 1 : 2;
    ImageView part = image;
    part.pixels =
        static_cast<const unsigned char*>(image.pixels) + (y * image.row_stride + x) * pixel_bytes;
    part.width = width;
    part.height = height;
    return part;
}

// The exact sums of one measure's terms on rectangles of one view.
template <class Pixel>
class RectangleSums {
  public:
    using Total = typename PixelTraits<Pixel>::Total;

    RectangleSums(const ImageView& image, RowSums<Pixel> rows, TermRows (*terms)(int, int))
        : image_(image), rows_(rows), terms_(terms) {}

    Total operator()(int x, int y, int width, int height) const {
        const TermRows terms = terms_(width, height);
        if (terms.rows <= 0 || terms.terms_per_row <= 0) {
            return 0;
        }
        const ImageView part = part_of(image_, x, y, width, height);
        return rows_(static_cast<const Pixel*>(part.pixels), part.row_stride, width, height, 0,
                     terms.rows);
    }

  private:
    const ImageView& image_;
    RowSums<Pixel> rows_;
    TermRows (*terms_)(int, int);
};

// The sides of an edge: how far a strip reaches before and after it.
struct EdgeStrip {
    int edge;
    int before;
    int after;
};

// The edges between tiles, each with `margin` pixels on either side, or as many as its tiles have.
// A measure's terms reach at most one pixel further than its smallest measured size (Vollath F4's
// second sum reads three rows, where two rows already give a term), so with that size as the
// margin every term crossing the edge lies in the strip: tiles are never smaller than it.
std::vector<EdgeStrip> inner_edges(const std::vector<int>& edges, int margin) {
    std::vector<EdgeStrip> strips;
    for (std::size_t i = 1; i + 1 < edges.size(); ++i) {
        strips.push_back({edges[i], std::min(margin, edges[i] - edges[i - 1]),
                          std::min(margin, edges[i + 1] - edges[i])});
    }
    return strips;
}

// Terms are translation-invariant sums over windows (or, like Vollath F4's, differences of such
// sums), so on a rectangle split by an edge, the terms crossing it are the rectangle's less those
// of its two parts; across two edges, inclusion and exclusion over the four quarters.
template <class Pixel>
void add_method(const ImageView& image, const MeasureEntry& measure, const TileEdges& edges,
                std::size_t method, std::size_t methods, std::vector<double>* values) {
    const CpuRowSums row_sums = measure.row_sums();
    RowSums<Pixel> rows;
    if constexpr (sizeof(Pixel) == 1) {
        rows = row_sums.rows8;
    } else {
        rows = row_sums.rows16;
    }
    const RectangleSums<Pixel> sum(image, rows, row_sums.terms);
    using Total = typename RectangleSums<Pixel>::Total;
    Total whole = 0;
    std::size_t tile = 0;
    for (std::size_t r = 0; r + 1 < edges.rows.size(); ++r) {
        for (std::size_t c = 0; c + 1 < edges.columns.size(); ++c, ++tile) {
            const Total own =
                sum(edges.columns[c], edges.rows[r], edges.columns[c + 1] - edges.columns[c],
                    edges.rows[r + 1] - edges.rows[r]);
            whole += own;
            (*values)[methods + tile * methods + method] =
                static_cast<double>(own) / step_squared<Pixel>();
        }
    }
    const int width = image.width;
    const int height = image.height;
    const RegionSize window = smallest_measured_size(measure);
    const std::vector<EdgeStrip> across = inner_edges(edges.columns, window.width);
    const std::vector<EdgeStrip> down = inner_edges(edges.rows, window.height);
    for (const EdgeStrip& x : across) {
        whole += sum(x.edge - x.before, 0, x.before + x.after, height) -
                 sum(x.edge - x.before, 0, x.before, height) - sum(x.edge, 0, x.after, height);
    }
    for (const EdgeStrip& y : down) {
        whole += sum(0, y.edge - y.before, width, y.before + y.after) -
                 sum(0, y.edge - y.before, width, y.before) - sum(0, y.edge, width, y.after);
    }
    for (const EdgeStrip& y : down) {
        for (const EdgeStrip& x : across) {
            const int left = x.edge - x.before;
            const int top = y.edge - y.before;
            const int both_wide = x.before + x.after;
            const int both_high = y.before + y.after;
            whole -= sum(left, top, both_wide, both_high) - sum(left, top, x.before, both_high) -
                     sum(x.edge, top, x.after, both_high) - sum(left, top, both_wide, y.before) -
                     sum(left, y.edge, both_wide, y.after) + sum(left, top, x.before, y.before) +
                     sum(x.edge, top, x.after, y.before) + sum(left, y.edge, x.before, y.after) +
                     sum(x.edge, y.edge, x.after, y.after);
        }
    }
    (*values)[method] = static_cast<double>(whole) / step_squared<Pixel>();
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

Measurement exact_tile_sums(const ImageView& image, const TileEdges& edges,
                            const std::vector<int>& methods) {
    const std::size_t tiles = (edges.rows.size() - 1) * (edges.columns.size() - 1);
    Measurement measurement;
    measurement.values.resize(methods.size() * (1 + tiles));
    for (std::size_t m = 0; m < methods.size(); ++m) {
        const MeasureEntry& measure = *find_measure(methods[m]);
        if (image.depth == PixelDepth::u8) {
            add_method<std::uint8_t>(image, measure, edges, m, methods.size(), &measurement.values);
        } else {
            add_method<std::uint16_t>(image, measure, edges, m, methods.size(),
                                      &measurement.values);
        }
    }
    return measurement;
}

}  // namespace bestfocus
