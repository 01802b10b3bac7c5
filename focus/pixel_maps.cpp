#include "pixel_maps.h"

#include <optional>

#include "depth_fill.h"
#include "focus_curve.h"
#include "image_measure.h"
#include "image_source.h"
#include "pixel_focus.h"
#include "window_responses.h"

namespace bestfocus {

bool read_pixel_maps(const FolderScores& folder, int window, PixelMaps* maps,
                     std::string* problem) {
    const int images = static_cast<int>(folder.images.size());
    const RegionOfInterest& area = folder.area;
    if (images == 0 || folder.methods.empty() || area.width <= 0 || area.height <= 0) {
        *problem = "the stack has no measured images";
        return false;
    }
    ReadBuffer buffer;
    std::optional<WindowResponses> responder;
    PixelFocus focus(area.width, area.height, images);
    std::vector<float> responses(static_cast<std::size_t>(area.width) * area.height);
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
        if (!responder) {
            pixels = read.view.depth;
            responder.emplace(folder.methods[0].method, area.width, area.height, pixels,
                              window / 2);
        } else if (read.view.depth != pixels) {
            *problem = described(location) + " is not at the depth of the stack's first image";
            return false;
        }
        const ImageView view = region_of(read.view, area);
        responder->respond(view, responses.data());
        focus.add(image, responses.data(), view);
    }
    const MethodScores& first = folder.methods[0];
    maps->focused = focus.focused();
    maps->confidence = {area.width, area.height, focus.confidence()};
    maps->depth = {
        area.width, area.height,
        filled_depth(focus.depth(), maps->confidence.values, maps->focused,
                     static_cast<float>(fractional_best(first.scores, first.best_number)))};
    return true;
}

}  // namespace bestfocus
