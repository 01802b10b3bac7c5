#include "channels_in_focus.h"

#include <cstddef>
#include <cstring>

#include "image_measure.h"
#include "image_source.h"

namespace bestfocus {
namespace {

// Copies into `image` the pixels of `plane` (image number `number`) at which `chosen` names it.
void take_chosen(const ImageView& plane, int number, const std::vector<std::uint16_t>& chosen,
                 cv::Mat* image) {
    const auto pixel_bytes = static_cast<std::ptrdiff_t>(image->elemSize());
    for (int y = 0; y < image->rows; ++y) {
        // Signed: the rows may lie bottom row first.
        const auto* from = static_cast<const unsigned char*>(plane.pixels) +
                           static_cast<std::ptrdiff_t>(y) * plane.row_stride * pixel_bytes;
        unsigned char* to = image->ptr(y);
        const std::uint16_t* row = chosen.data() + static_cast<std::size_t>(y) * image->cols;
        for (int x = 0; x < image->cols; ++x) {
            if (row[x] == number) {
                std::memcpy(to + x * pixel_bytes, from + x * pixel_bytes, pixel_bytes);
            }
        }
    }
}

}  // namespace

bool channels_in_focus(const FolderScores& folder, const cv::Mat& focused,
                       const std::vector<std::uint16_t>& chosen, std::vector<cv::Mat>* channels,
                       std::string* problem) {
    const MicroscopePlanes& planes = *folder.microscope;
    const int images = static_cast<int>(folder.images.size());
    const PixelDepth depth = focused.depth() == CV_16U ? PixelDepth::u16 : PixelDepth::u8;
    ReadBuffer buffer;
    channels->clear();
    for (std::size_t c = 0; c < planes.channel_pages.size(); ++c) {
        if (static_cast<int>(c) == planes.channel) {
            channels->push_back(focused);
            continue;
        }
        cv::Mat image(focused.size(), focused.type(), cv::Scalar(0));
        for (int number = 1; number <= images; ++number) {
            const ImageLocation location(
                folder.stack_path,
                static_cast<int>(planes.channel_pages[c].at(static_cast<std::size_t>(number - 1))));
            const ReadImage read = OpenedImage(location).read_whole(buffer);
            if (!read.read || read.depth != focused.depth() || read.view.depth != depth ||
                read.view.width != folder.image_width || read.view.height != folder.image_height) {
                *problem = described(location) + " differs in size or depth from the focus channel";
                return false;
            }
            take_chosen(region_of(read.view, folder.area), number, chosen, &image);
        }
        channels->push_back(image);
    }
    return true;
}

}  // namespace bestfocus
