// libpng prints its errors and warnings on standard error unless the code that uses it gives
// handlers of its own, and OpenCV's PNG decoder gives none: a PNG file cut short would print
// "libpng error: Read Error" beside the tool's own message. The plugin defines
// png_create_read_struct itself. The loader finds it here before libpng's (the plugin comes first
// in the scope it was loaded with, ahead of its dependencies), so OpenCV's decoder gets a read
// struct whose handlers say nothing; the call itself goes on to libpng. An error still ends the
// decode: the handler jumps back to the decoder's setjmp, as libpng's own would after printing.
#include <dlfcn.h>
#include <png.h>

namespace {

[[noreturn]] void quiet_error(png_structp png, png_const_charp /*message*/) { png_longjmp(png, 1); }

void quiet_warning(png_structp /*png*/, png_const_charp /*message*/) {}

using CreateReadStruct = png_structp (*)(png_const_charp, png_voidp, png_error_ptr, png_error_ptr);

}  // namespace

extern "C" __attribute__((visibility("default"))) png_structp png_create_read_struct(
    png_const_charp version, png_voidp error_data, png_error_ptr /*error_handler*/,
    png_error_ptr /*warning_handler*/) {
    static const auto libpng_create =
        reinterpret_cast<CreateReadStruct>(dlsym(RTLD_NEXT, "png_create_read_struct"));
    return libpng_create == nullptr
               ? nullptr
               : libpng_create(version, error_data, quiet_error, quiet_warning);
}
