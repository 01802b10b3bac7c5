#include "measure_views.h"

#include <cstdint>

#include "tiled_measure.h"

namespace bestfocus {

namespace {

bool rows_are_contiguous(const StridedView& image) {
    return image.column_stride == 1 && image.row_stride >= image.width;
}

template <typename Pixel>
void gather(const StridedView& image, std::vector<unsigned char>* buffer) {
    const std::size_t width = static_cast<std::size_t>(image.width);
    buffer->resize(width * static_cast<std::size_t>(image.height) * sizeof(Pixel));
    Pixel* out = reinterpret_cast<Pixel*>(buffer->data());
    const Pixel* pixels = static_cast<const Pixel*>(image.pixels);
    for (int y = 0; y < image.height; ++y) {
        const Pixel* row = pixels + static_cast<std::ptrdiff_t>(y) * image.row_stride;
        for (int x = 0; x < image.width; ++x) {
            *out++ = row[static_cast<std::ptrdiff_t>(x) * image.column_stride];
        }
    }
}

// The view the engines take: the image itself, or its copy in the buffer.
ImageView engine_view(const StridedView& image, std::vector<unsigned char>* buffer) {
    ImageView view{image.pixels, image.depth, image.width, image.height, image.row_stride};
    if (rows_are_contiguous(image)) {
        return view;
    }
    if (image.depth == PixelDepth::u8) {
        gather<unsigned char>(image, buffer);
    } else {
        gather<std::uint16_t>(image, buffer);
    }
    view.pixels = buffer->data();
    view.row_stride = image.width;
    return view;
}

// measure(view) on each image's engine view, images spread over the threads.
template <typename Measure>
std::vector<Measurement> measure_each(const std::vector<StridedView>& images, int threads,
                                      const Measure& measure) {
    std::vector<Measurement> results(images.size());
    const long long count = static_cast<long long>(images.size());
    if (count == 1 || threads == 1) {  // on the calling thread: no team to form
        std::vector<unsigned char> buffer;
        for (std::size_t i = 0; i < images.size(); ++i) {
            results[i] = measure(engine_view(images[i], &buffer));
        }
        return results;
    }
#pragma omp parallel num_threads(threads)
    {
        std::vector<unsigned char> buffer;
#pragma omp for schedule(static)
        for (long long i = 0; i < count; ++i) {
            const std::size_t index = static_cast<std::size_t>(i);
            results[index] = measure(engine_view(images[index], &buffer));
        }
    }
    return results;
}

}  // namespace

std::vector<Measurement> measure_views(const Engine& engine, const std::vector<StridedView>& images,
                                       const std::vector<int>& methods, int threads) {
    return measure_each(images, threads,
                        [&](const ImageView& view) { return engine.measure(view, methods); });
}

std::vector<Measurement> measure_views_in_tiles(const Engine& engine,
                                                const std::vector<StridedView>& images,
                                                const TileEdges& edges,
                                                const std::vector<int>& methods, int threads) {
    return measure_each(images, threads, [&](const ImageView& view) {
        return measure_each_tile(engine, view, edges, methods);
    });
}

}  // namespace bestfocus
