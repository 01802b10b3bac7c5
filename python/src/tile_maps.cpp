#include "tile_maps.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "english_errors.h"
#include "focus_curve.h"
#include "focus_selection.h"
#include "image_measure.h"
#include "pixel_maps.h"
#include "tile_picks.h"
#include "tile_size_check.h"

namespace nb = nanobind;

namespace bestfocus::python {

namespace {

// A numpy array owning a copy of the values.
template <typename T>
nb::object owned_array(std::vector<T> values, std::initializer_list<std::size_t> shape) {
    auto* owned = new std::vector<T>(std::move(values));
    nb::capsule owner(owned, [](void* p) noexcept { delete static_cast<std::vector<T>*>(p); });
    return nb::cast(nb::ndarray<nb::numpy, T>(owned->data(), shape.size(), shape.begin(), owner));
}

// The image as rows of adjacent pixels: in place, or gathered into the buffer.
template <typename Pixel>
ImageView row_view(const StridedView& image, std::vector<Pixel>* buffer) {
    if (image.column_stride == 1) {
        return {image.pixels, image.depth, image.width, image.height, image.row_stride};
    }
    buffer->resize(static_cast<std::size_t>(image.width) * image.height);
    const Pixel* pixels = static_cast<const Pixel*>(image.pixels);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            (*buffer)[static_cast<std::size_t>(y) * image.width + x] =
                pixels[y * image.row_stride + x * image.column_stride];
        }
    }
    return {buffer->data(), image.depth, image.width, image.height, image.width};
}

}  // namespace

std::optional<std::string> tile_problem(int rows, int columns, int width, int height, int method) {
    const std::string problem =
        tile_size_problem({rows, columns}, width, height, {method}, "the image");
    if (problem.empty()) {
        return std::nullopt;
    }
    const std::string prefix = "\nbestfocus: ";
    return keyword_names(problem.substr(problem.rfind(prefix, 0) == 0 ? prefix.size() : 0));
}

nb::tuple tile_focus_map(const std::vector<ReadOnlyArray>& images, int method, int rows,
                         int columns, const std::string& engine_name, int threads) {
    std::vector<StridedView> views;
    for (const ReadOnlyArray& image : images) views.push_back(strided_view(image));
    const int width = views[0].width;
    const int height = views[0].height;
    FolderScores folder;
    folder.tiles = {rows, columns};
    folder.area = {0, 0, width, height};
    const TileEdges edges = tile_edges(folder.tiles, width, height);
    const std::vector<Measurement> measurements =
        measure_held_views(views, engine_name, threads, [&](const Engine& engine) {
            return measure_views_in_tiles(engine, views, edges, {method}, threads);
        });
    const std::size_t tiles = static_cast<std::size_t>(rows) * columns;
    const std::size_t count = views.size();
    MethodScores scores{method, std::vector<double>(count), 1,
                        std::vector<std::vector<double>>(tiles, std::vector<double>(count))};
    std::vector<double> tile_scores(tiles * count);
    for (std::size_t i = 0; i < count; ++i) {
        scores.scores[i] = measurements[i].values[0];
        for (std::size_t t = 0; t < tiles; ++t) {
            scores.tile_scores[t][i] = measurements[i].values[1 + t];
            tile_scores[t * count + i] = measurements[i].values[1 + t];
        }
    }
    scores.best_number = best_image_number(scores.scores);
    folder.methods.push_back(std::move(scores));
    std::vector<std::int32_t> best;
    std::vector<double> fractional;
    nb::list flags;
    nb::list row_flags;
    for (const TilePick& tile : tile_picks(folder, 0)) {
        best.push_back(tile.best);
        fractional.push_back(tile.fractional_best);
        row_flags.append(flag_names(tile.flags));
        if (tile.column + 1 == columns) {
            flags.append(nb::tuple(row_flags));
            row_flags = nb::list();
        }
    }
    const std::size_t r = static_cast<std::size_t>(rows);
    const std::size_t c = static_cast<std::size_t>(columns);
    return nb::make_tuple(owned_array(folder.methods[0].scores, {count}),
                          owned_array(std::move(tile_scores), {r, c, count}),
                          owned_array(std::move(best), {r, c}),
                          owned_array(std::move(fractional), {r, c}), nb::tuple(flags));
}

nb::tuple pixel_focus_maps(const std::vector<ReadOnlyArray>& images, int method, int window,
                           const std::string& engine_name, int threads) {
    std::vector<StridedView> views;
    for (const ReadOnlyArray& image : images) views.push_back(strided_view(image));
    const std::vector<Measurement> measurements = measure_held_views(
        views, engine_name, threads,
        [&](const Engine& engine) { return measure_views(engine, views, {method}, threads); });
    std::vector<double> scores;
    for (const Measurement& measurement : measurements) scores.push_back(measurement.values[0]);
    const int width = views[0].width;
    const int height = views[0].height;
    PixelMaps maps;
    {
        nb::gil_scoped_release unlocked;
        PixelMapsMaker maker(method, width, height, views[0].depth, window,
                             static_cast<int>(views.size()), best_image_number(scores));
        std::vector<std::uint8_t> buffer8;
        std::vector<std::uint16_t> buffer16;
        for (std::size_t i = 0; i < views.size(); ++i) {
            maker.add(static_cast<int>(i) + 1, views[i].depth == PixelDepth::u8
                                                   ? row_view(views[i], &buffer8)
                                                   : row_view(views[i], &buffer16));
        }
        maps = maker.finish(static_cast<float>(fractional_best(scores, best_image_number(scores))));
    }
    const std::size_t h = static_cast<std::size_t>(height);
    const std::size_t w = static_cast<std::size_t>(width);
    nb::object focused;
    if (maps.focused.depth() == CV_16U) {
        const auto* pixels = maps.focused.ptr<std::uint16_t>(0);
        focused = owned_array(std::vector<std::uint16_t>(pixels, pixels + h * w), {h, w});
    } else {
        const auto* pixels = maps.focused.ptr<std::uint8_t>(0);
        focused = owned_array(std::vector<std::uint8_t>(pixels, pixels + h * w), {h, w});
    }
    return nb::make_tuple(owned_array(std::move(maps.depth.values), {h, w}),
                          owned_array(std::move(maps.confidence.values), {h, w}), focused);
}

}  // namespace bestfocus::python
