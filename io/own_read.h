// What one of our own readers made of a file: pixels it read, a file it refuses, or a file it
// leaves to OpenCV's decoders.
#pragma once

#include "image_view.h"

namespace bestfocus {

struct OwnRead {
    enum class Outcome { not_ours, unreadable, read };
    Outcome outcome = Outcome::not_ours;
    ImageView view;  // when read: the pixels, in the caller's ReadBuffer

    static OwnRead not_ours() { return {}; }
    static OwnRead unreadable() { return {Outcome::unreadable, {}}; }
    static OwnRead read(const ImageView& pixels) { return {Outcome::read, pixels}; }
};

}  // namespace bestfocus
