#include "tiff_description.h"

#include <tiffio.h>

#include "tiff_open.h"

namespace bestfocus {

namespace {

std::optional<double> positive_field(tiff* handle, ttag_t tag) {
    float value = 0;
    if (TIFFGetField(handle, tag, &value) == 1 && value > 0) return value;
    return std::nullopt;
}

}  // namespace

std::optional<TiffDescription> first_page_description(const OpenFile& file,
                                                      const std::string& name) {
    const TiffHandle handle = open_tiff_at(file, name, 0);
    if (!handle) return std::nullopt;
    TiffDescription found;
    char* text = nullptr;
    if (TIFFGetField(handle.get(), TIFFTAG_IMAGEDESCRIPTION, &text) == 1 && text != nullptr) {
        found.text = text;
    }
    found.x_resolution = positive_field(handle.get(), TIFFTAG_XRESOLUTION);
    found.y_resolution = positive_field(handle.get(), TIFFTAG_YRESOLUTION);
    return found;
}

}  // namespace bestfocus
