#include "pixel_maps.h"

#include <optional>

#include "depth_fill.h"
#include "focus_curve.h"
#include "image_measure.h"
#include "image_source.h"
#include "pixel_focus.h"
#include "window_responses.h"

namespace bestfocus {

struct PixelMapsMaker::State {
    WindowResponses responder;
    PixelFocus focus;
    std::vector<float> responses;
};

PixelMapsMaker::PixelMapsMaker(int code, int width, int height, PixelDepth depth, int window,
                               int images, int pick)
    : state_(new State{WindowResponses(code, width, height, depth, window / 2),
                       PixelFocus(width, height, images, pick),
                       std::vector<float>(static_cast<std::size_t>(width) * height)}) {}

PixelMapsMaker::~PixelMapsMaker() = default;

void PixelMapsMaker::add(int image, const ImageView& pixels) {
    state_->responder.respond(pixels, state_->responses.data());
    state_->focus.add(image, state_->responses.data(), pixels);
}

PixelMaps PixelMapsMaker::finish(float when_none) {
    PixelMaps maps;
    const PixelFocus& focus = state_->focus;
    maps.focused = focus.focused();
    maps.confidence = {maps.focused.cols, maps.focused.rows, focus.confidence()};
    maps.depth = {maps.focused.cols, maps.focused.rows,
                  filled_depth(focus.depth(), maps.confidence.values, maps.focused, when_none)};
    return maps;
}

bool read_pixel_maps(const FolderScores& folder, int window, PixelMaps* maps,
                     std::string* problem) {
    const int images = static_cast<int>(folder.images.size());
    const RegionOfInterest& area = folder.area;
    if (images == 0 || folder.methods.empty() || area.width <= 0 || area.height <= 0) {
        *problem = "the stack has no measured images";
        return false;
    }
    ReadBuffer buffer;
    std::optional<PixelMapsMaker> maker;
    PixelDepth pixels = PixelDepth::u8;
    for (int image = 1; image <= images; ++image) {
        const ImageLocation& location = folder.images[static_cast<std::size_t>(image) - 1];
        const OpenedImage opened(location);
        const ReadImage read = opened.read_whole(buffer);
        // A file replaced since the scan is not taken.
        if (!read.read || (read.depth != CV_8U && read.depth != CV_16U) ||
            read.view.width != folder.image_width || read.view.height != folder.image_height) {
            *problem = described(location) + " cannot be read again as it was measured";
            return false;
        }
        if (!maker) {
            pixels = read.view.depth;
            maker.emplace(folder.methods[0].method, area.width, area.height, pixels, window, images,
                          folder.methods[0].best_number);
        } else if (read.view.depth != pixels) {
            *problem = described(location) + " is not at the depth of the stack's first image";
            return false;
        }
        maker->add(image, region_of(read.view, area));
    }
    const MethodScores& first = folder.methods[0];
    *maps = maker->finish(static_cast<float>(fractional_best(first.scores, first.best_number)));
    return true;
}

}  // namespace bestfocus
