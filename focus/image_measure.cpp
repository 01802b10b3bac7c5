#include "image_measure.h"

#include "decoding_memory.h"
#include "measure_as_read.h"
#include "tile_size_check.h"
#include "tiles_as_read.h"

namespace bestfocus {

namespace {

ImageMeasurement failed(FailureKind kind, const std::string& image,
                        const std::string& diagnostic = "") {
    ImageMeasurement measurement;
    measurement.failure.kind = kind;
    measurement.failure.subject = image;
    measurement.failure.diagnostic = diagnostic;
    return measurement;
}

// What the engine gave on a width x height image.
ImageMeasurement measured(Measurement result, int width, int height, bool sixteen_bit,
                          const std::string& name) {
    switch (result.failure) {
        case Measurement::Failure::none: break;
        case Measurement::Failure::too_many_pixels:
            return failed(FailureKind::too_many_pixels, name);
        case Measurement::Failure::failed:
            return failed(
                FailureKind::cannot_measure, name,
                result.reason.empty() ? "" : "bestfocus: " + name + ": " + result.reason + "\n");
    }
    ImageMeasurement measurement;
    measurement.measured = true;
    measurement.focus = std::move(result.values);
    measurement.width = width;
    measurement.height = height;
    measurement.sixteen_bit = sixteen_bit;
    return measurement;
}

// Tiles the width x height area cannot take: a bad command line.
std::optional<ImageMeasurement> tile_refusal(const TileGrid& tiles, int width, int height,
                                             const std::vector<int>& methods,
                                             const std::string& area_name) {
    const std::string problem = tile_size_problem(tiles, width, height, methods, area_name);
    if (problem.empty()) {
        return std::nullopt;
    }
    ImageMeasurement refused;
    refused.failure.kind = FailureKind::bad_tiles;
    refused.failure.refusal = problem;
    return refused;
}

// The values after the whole image's (measure_each_tile's layout) as the tiles'.
ImageMeasurement split_tiles(ImageMeasurement measurement, std::size_t methods) {
    if (measurement.measured) {
        measurement.tile_focus.assign(measurement.focus.begin() + static_cast<long>(methods),
                                      measurement.focus.end());
        measurement.focus.resize(methods);
    }
    return measurement;
}

std::string mebibytes(std::uint64_t bytes) {
    return std::to_string((bytes + (1u << 20) - 1) >> 20);
}

}  // namespace

ImageView region_of(const ImageView& image, const RegionOfInterest& region) {
    const std::size_t pixel_bytes = image.depth == PixelDepth::u8 ? 1 : 2;
    ImageView part = image;
    part.pixels =
        static_cast<const unsigned char*>(image.pixels) +
        (region.y * image.row_stride + region.x) * static_cast<std::ptrdiff_t>(pixel_bytes);
    part.width = region.width;
    part.height = region.height;
    return part;
}

TileEdges tile_edges(const TileGrid& grid, int width, int height) {
    TileEdges edges;
    for (int column = 0; column <= grid.columns; ++column) {
        edges.columns.push_back(tile_rectangle(grid, {0, 0, width, 1}, 0, column).x);
    }
    for (int row = 0; row <= grid.rows; ++row) {
        edges.rows.push_back(tile_rectangle(grid, {0, 0, 1, height}, row, 0).y);
    }
    return edges;
}

ImageMeasurement measure_image(const ImageLocation& image, const Engine& engine,
                               const std::vector<int>& methods,
                               const std::optional<RegionOfInterest>& region,
                               const std::optional<TileGrid>& tiles) {
    const std::string name = described(image);
    // Each scan thread reads every image it measures into the same memory: no allocation per
    // image once it has grown to the largest (or, measured as read, to a band), and the pixels
    // are measured where they land.
    thread_local ReadBuffer buffer;
    // The image's one opening: its header, and where its rows lie when they lie in the file.
    const OpenedImage opened(image);
    // The whole image's rows in the file: measured as they are read, a band at a time, when the
    // engine measures in bands.
    if (opened.stored() && !region && tiles) {
        const StoredRows& stored = *opened.stored();
        if (std::optional<ImageMeasurement> refused =
                tile_refusal(*tiles, stored.width, stored.height, methods, "the image " + name)) {
            return *refused;
        }
        TiledBands bands(engine, stored.width, stored.height, stored.depth,
                         tile_edges(*tiles, stored.width, stored.height), methods);
        if (bands.banded()) {
            if (!measure_as_read(opened.file().fd(), stored, bands, buffer)) {
                return failed(FailureKind::cannot_open, name);
            }
            return split_tiles(measured(bands.result(), stored.width, stored.height,
                                        stored.depth == PixelDepth::u16, name),
                               methods.size());
        }
    } else if (opened.stored() && !region) {
        const StoredRows& stored = *opened.stored();
        std::vector<std::unique_ptr<BandedMeasure>> parts;
        for (int k = 0; k < engine.image_team(); ++k) {
            parts.push_back(
                engine.measure_in_bands(stored.width, stored.height, stored.depth, methods));
        }
        if (parts.front()) {
            const TeamMeasurement team =
                measure_as_read_on_team(opened.file().fd(), stored, std::move(parts), buffer);
            if (!team.read) {
                return failed(FailureKind::cannot_open, name);
            }
            return measured(team.measurement, stored.width, stored.height,
                            stored.depth == PixelDepth::u16, name);
        }
    }
    // Otherwise decoded whole, once the memory it takes is free beside the images decoded on other
    // threads.
    const std::uint64_t needed = memory_to_decode(opened.header(), engine);
    const DecodingMemory memory(needed);
    if (!memory.held()) {
        return failed(FailureKind::cannot_open, name,
                      "bestfocus: " + name + ": decoding and measuring it needs about " +
                          mebibytes(needed) + " MiB, more than the " +
                          mebibytes(DecodingMemory::share()) +
                          " MiB of memory this run has for images\n");
    }
    const ReadImage pixels = opened.read_whole(buffer);
    if (!pixels.read) {
        return failed(FailureKind::cannot_open, name,
                      pixels.why.empty() ? "" : "bestfocus: " + name + ": " + pixels.why + "\n");
    }
    if (pixels.depth != CV_8U && pixels.depth != CV_16U) {
        return failed(FailureKind::cannot_open, name,
                      "bestfocus: " + name + " has " + depth_name(pixels.depth) +
                          " pixels; only 8- and 16-bit unsigned integer images are measured\n");
    }
    if (region && !region_fits(*region, pixels.view.width, pixels.view.height)) {
        return failed(FailureKind::region_outside, name,
                      "bestfocus: the region " + std::to_string(region->width) + " x " +
                          std::to_string(region->height) + " at (" + std::to_string(region->x) +
                          ", " + std::to_string(region->y) + ") does not lie inside " + name +
                          ", " + std::to_string(pixels.view.width) + " x " +
                          std::to_string(pixels.view.height) + "\n");
    }
    const RegionOfInterest area =
        region ? *region : RegionOfInterest{0, 0, pixels.view.width, pixels.view.height};
    if (!tiles) {
        return measured(engine.measure(region_of(pixels.view, area), methods), pixels.view.width,
                        pixels.view.height, pixels.depth == CV_16U, name);
    }
    if (std::optional<ImageMeasurement> refused =
            tile_refusal(*tiles, area.width, area.height, methods,
                         std::string(region ? "the region of " : "the image ") + name)) {
        return *refused;
    }
    return split_tiles(
        measured(measure_each_tile(engine, region_of(pixels.view, area),
                                   tile_edges(*tiles, area.width, area.height), methods),
                 pixels.view.width, pixels.view.height, pixels.depth == CV_16U, name),
        methods.size());
}

}  // namespace bestfocus
