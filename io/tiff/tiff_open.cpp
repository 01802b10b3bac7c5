#include "tiff_open.h"

#include <tiffio.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace bestfocus {

void TiffCloser::operator()(tiff* handle) const { TIFFClose(handle); }

namespace {

constexpr std::size_t kClassicHeaderSize = 8;  // order, version 42, 4-byte first offset
constexpr std::size_t kBigHeaderSize = 16;     // order, version 43, 8, 0, 8-byte first offset

// An open file as libtiff sees it: its bytes, except a header that may name another directory
// as the first.
struct FileView {
    int fd = -1;  // the caller's OpenFile's, which outlives the view
    std::uint64_t size = 0;
    std::uint64_t position = 0;
    std::array<unsigned char, kBigHeaderSize> header{};
    std::size_t header_size = 0;
    bool byte_counts_made_up = false;  // libtiff replaced a directory's byte counts by its own
};

FileView* view_of(thandle_t handle) { return static_cast<FileView*>(handle); }

tmsize_t read_view(thandle_t handle, void* buffer, tmsize_t count) {
    FileView* view = view_of(handle);
    if (count < 0) return -1;
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::uint64_t done = 0;
    const std::uint64_t wanted = static_cast<std::uint64_t>(count);
    while (done < wanted && view->position + done < view->header_size) {
        bytes[done] = view->header[view->position + done];
        ++done;
    }
    while (done < wanted) {
        const ssize_t got = ::pread(view->fd, bytes + done, wanted - done,
                                    static_cast<off_t>(view->position + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::uint64_t>(got);
    }
    view->position += done;
    return static_cast<tmsize_t>(done);
}

tmsize_t refuse_write(thandle_t, void*, tmsize_t) { return -1; }

toff_t seek_view(thandle_t handle, toff_t offset, int whence) {
    FileView* view = view_of(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) base = view->position;
    if (whence == SEEK_END) base = view->size;
    view->position = base + offset;  // toff_t is unsigned: a step back wraps, as with lseek's math
    return view->position;
}

int close_view(thandle_t handle) {
    delete view_of(handle);
    return 0;
}

toff_t view_size(thandle_t handle) { return view_of(handle)->size; }

int no_mapping(thandle_t, void**, toff_t*) { return 0; }
void no_unmapping(thandle_t, void*, toff_t) {}

int keep_quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;  // handled: libtiff's process-wide handler (OpenCV's, or stderr) is not called
}

// Keeps quiet too, noting the warning libtiff gives when it makes up byte counts from the page's
// size (missing, or contradicting each other or the file).
int note_made_up_counts(TIFF*, void* view, const char*, const char* format, va_list) {
    if (std::strstr(format, "calculating from imagelength") != nullptr) {
        static_cast<FileView*>(view)->byte_counts_made_up = true;
    }
    return 1;
}

bool is_little_endian_order(const unsigned char* header) { return header[0] == 'I'; }

// Writes `value` over the `width` bytes at `field` in the file's byte order.
void put_offset(unsigned char* field, std::size_t width, std::uint64_t value, bool little_endian) {
    for (std::size_t i = 0; i < width; ++i) {
        const std::size_t shift = 8 * (little_endian ? i : width - 1 - i);
        field[i] = static_cast<unsigned char>(value >> shift);
    }
}

// The `width` bytes at `offset` as a number in the file's byte order; nothing past the end.
std::optional<std::uint64_t> stored_number(const FileView& view, std::uint64_t offset,
                                           std::size_t width) {
    unsigned char bytes[8];
    if (offset > view.size || view.size - offset < width ||
        ::pread(view.fd, bytes, width, static_cast<off_t>(offset)) != static_cast<ssize_t>(width)) {
        return std::nullopt;
    }
    const bool little_endian = is_little_endian_order(view.header.data());
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        const std::size_t shift = 8 * (little_endian ? i : width - 1 - i);
        value |= static_cast<std::uint64_t>(bytes[i]) << shift;
    }
    return value;
}

bool signature_fits(const unsigned char* header) {
    const bool little = header[0] == 'I' && header[1] == 'I';
    const bool big = header[0] == 'M' && header[1] == 'M';
    const unsigned version = little ? header[2] | header[3] << 8 : header[2] << 8 | header[3];
    return (little || big) && (version == 42 || version == 43);
}

// Reads the header of the file into `header` (kBigHeaderSize bytes): its size, classic or BigTIFF,
// or 0 when the file does not begin with a whole TIFF header.
std::size_t read_header(int fd, unsigned char* header) {
    const ssize_t got = ::pread(fd, header, kBigHeaderSize, 0);
    if (got < static_cast<ssize_t>(kClassicHeaderSize) || !signature_fits(header)) {
        return 0;
    }
    const bool big_tiff = (header[2] | header[3]) == 43;
    const std::size_t size = big_tiff ? kBigHeaderSize : kClassicHeaderSize;
    return static_cast<std::size_t>(got) < size ? 0 : size;
}

// A view of the open file; null unless the file begins with a TIFF header.
std::unique_ptr<FileView> view_of_file(const OpenFile& file) {
    auto view = std::make_unique<FileView>();
    view->fd = file.fd();
    view->size = file.size();
    view->header_size = file.fd() < 0 ? 0 : read_header(file.fd(), view->header.data());
    return view->header_size == 0 ? nullptr : std::move(view);
}

TiffHandle open_view_quietly(const std::string& file, std::unique_ptr<FileView> view) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, keep_quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, note_made_up_counts, view.get());
    // "m": no memory mapping, every byte comes through read_view.
    TIFF* handle =
        TIFFClientOpenExt(file.c_str(), "rm", view.get(), read_view, refuse_write, seek_view,
                          close_view, view_size, no_mapping, no_unmapping, options);
    TIFFOpenOptionsFree(options);
    if (handle != nullptr) {
        view.release();  // closed by TIFFClose through close_view; a failed open leaves it to us
    }
    return TiffHandle(handle);
}

}  // namespace

std::optional<std::uint64_t> stored_next_directory(tiff* handle, std::uint64_t directory) {
    const FileView& view = *view_of(TIFFClientdata(handle));
    // A directory: its entry count, its entries, then the link (classic TIFF: 2-byte count,
    // 12-byte entries, 4-byte link; BigTIFF: 8, 20 and 8 bytes).
    const bool big_tiff = view.header_size == kBigHeaderSize;
    const std::size_t count_width = big_tiff ? 8 : 2;
    const std::optional<std::uint64_t> entries = stored_number(view, directory, count_width);
    const std::uint64_t entry_size = big_tiff ? 20 : 12;
    if (!entries || *entries > (view.size / entry_size)) {
        return std::nullopt;
    }
    return stored_number(view, directory + count_width + *entries * entry_size, big_tiff ? 8 : 4);
}

bool byte_counts_made_up(tiff* handle) {
    return view_of(TIFFClientdata(handle))->byte_counts_made_up;
}

bool has_tiff_signature(int fd) {
    std::array<unsigned char, kBigHeaderSize> header{};
    return read_header(fd, header.data()) != 0;
}

TiffHandle open_tiff_at(const OpenFile& file, const std::string& name,
                        std::uint64_t directory_offset) {
    std::unique_ptr<FileView> view = view_of_file(file);
    if (!view) return nullptr;
    if (directory_offset != 0) {
        const bool big_tiff = view->header_size == kBigHeaderSize;
        if (!big_tiff && directory_offset > UINT32_MAX) return nullptr;
        unsigned char* first_offset = view->header.data() + (big_tiff ? 8 : 4);
        put_offset(first_offset, big_tiff ? 8 : 4, directory_offset,
                   is_little_endian_order(view->header.data()));
    }
    return open_view_quietly(name, std::move(view));
}

}  // namespace bestfocus
