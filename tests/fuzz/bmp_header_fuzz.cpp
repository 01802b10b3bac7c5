// libFuzzer target of the BMP check: any bytes as a whole file. Besides what the sanitizers catch,
// the verdict from the first kBmpHeaderBytes alone must be the verdict on the whole file, unless
// it asks for the whole file, and the whole file always gets a verdict.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bmp_header_check.h"

using namespace bestfocus;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the first bytes, so that AddressSanitizer sees any read past them.
    const std::vector<unsigned char> first(data, data + std::min(size, kBmpHeaderBytes));
    const BmpCheck from_headers = check_bmp_bytes(first.data(), first.size(), size);
    const BmpCheck whole = check_bmp_bytes(data, size, size);
    if (whole == BmpCheck::needs_whole_file ||
        (from_headers != BmpCheck::needs_whole_file && from_headers != whole)) {
        std::abort();
    }
    return 0;
}
