// libFuzzer target of our BMP and TIFF readers: any bytes as a whole file, read as a BMP and, page
// by page, as a TIFF. Besides what the sanitizers catch, every pixel of every view a reader gives
// is read, so a view reaching outside the buffer is caught.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "bmp_reader.h"
#include "open_file.h"
#include "tiff_pages.h"

using namespace bestfocus;

namespace {

// Reads every pixel of the view, so that AddressSanitizer sees any outside the buffer.
void touch_every_pixel(const OwnRead& read) {
    if (read.outcome != OwnRead::Outcome::read) return;
    const ImageView& view = read.view;
    const std::ptrdiff_t pixel_bytes = view.depth == PixelDepth::u8 ? 1 : 2;
    if (view.width <= 0 || view.height <= 0 || std::abs(view.row_stride) < view.width) {
        std::abort();
    }
    volatile unsigned sum = 0;
    for (int y = 0; y < view.height; ++y) {
        const auto* row =
            static_cast<const unsigned char*>(view.pixels) + y * view.row_stride * pixel_bytes;
        for (std::ptrdiff_t x = 0; x < view.width * pixel_bytes; ++x) sum = sum + row[x];
    }
}

// Pages claiming more pixels than this are skipped: a reader allocates what a page claims, which
// here would only measure the fuzzer's memory limit.
constexpr std::uint64_t kMostFuzzedPixels = 1u << 22;

bool page_fits_the_fuzzer(const OpenFile& file, const std::string& name, std::uint64_t directory) {
    const std::optional<ImageHeader> header = open_tiff_page(file, name, directory).header;
    return header && header->width * header->height <= kMostFuzzedPixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("fuzzed", MFD_CLOEXEC);
    if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    static ReadBuffer buffer;  // kept across inputs, as a scan thread keeps it across images
    touch_every_pixel(read_own_bmp(fd, size, buffer));

    const std::string file = "/proc/self/fd/" + std::to_string(fd);
    const OpenFile opened(file);
    if (has_tiff_signature(opened.fd())) {
        const TiffPageIndex pages = index_tiff_pages(opened, file);
        for (std::size_t page = 0; page < pages.directory_offsets.size() && page < 8; ++page) {
            const std::uint64_t directory = page == 0 ? 0 : pages.directory_offsets[page];
            if (page_fits_the_fuzzer(opened, file, directory)) {
                touch_every_pixel(read_gray_tiff_page(file, directory, buffer));
            }
        }
    }
    close(fd);
    return 0;
}
