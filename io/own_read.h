// What one of our own readers made of a file: pixels it read, rows it found where they lie, pixels
// it will decode when asked, a file it refuses, or a file it leaves to OpenCV's decoders.
#pragma once

#include <optional>

#include "image_view.h"
#include "read_buffer.h"
#include "stored_rows.h"

namespace bestfocus {

struct OwnRead {
    enum class Outcome { not_ours, unreadable, read, stored, to_decode };
    Outcome outcome = Outcome::not_ours;
    ImageView view;     // when read: the pixels, in the caller's ReadBuffer
    StoredRows stored;  // when stored: the rows in the file, not read yet

    static OwnRead not_ours() { return {}; }
    static OwnRead unreadable() { return {Outcome::unreadable, {}, {}}; }
    static OwnRead read(const ImageView& pixels) { return {Outcome::read, pixels, {}}; }
    static OwnRead rows_in_file(const StoredRows& rows) { return {Outcome::stored, {}, rows}; }
    static OwnRead decoded_when_asked() { return {Outcome::to_decode, {}, {}}; }
};

// What a reader found, with rows it found in the file (`fd`, negative when it could not be opened)
// read into the buffer: the whole image, or unreadable when they cannot be read.
inline OwnRead with_rows_read(const OwnRead& found, int fd, ReadBuffer& buffer) {
    if (found.outcome != OwnRead::Outcome::stored) {
        return found;
    }
    const std::optional<ImageView> image =
        fd < 0 ? std::nullopt : read_all_stored_rows(fd, found.stored, buffer);
    return image ? OwnRead::read(*image) : OwnRead::unreadable();
}

}  // namespace bestfocus
