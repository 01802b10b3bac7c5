#include "base64.h"

namespace bestfocus {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string base64_encode(const unsigned char* bytes, std::size_t size) {
    std::string text;
    text.reserve((size + 2) / 3 * 4);
    std::size_t i = 0;
    // Every three bytes become four characters of six bits each.
    for (; i + 3 <= size; i += 3) {
        const unsigned group = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += kAlphabet[group >> 6 & 63];
        text += kAlphabet[group & 63];
    }
    // One or two bytes left: their characters, then '=' for each missing byte.
    if (i < size) {
        const bool two_left = i + 2 == size;
        const unsigned group = bytes[i] << 16 | (two_left ? bytes[i + 1] << 8 : 0u);
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += two_left ? kAlphabet[group >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}

}  // namespace bestfocus
