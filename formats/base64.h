// Base64 (RFC 4648, standard alphabet, '=' padding, no line breaks), for data URIs.
#pragma once

#include <cstddef>
#include <string>

namespace bestfocus {

std::string base64_encode(const unsigned char* bytes, std::size_t size);

}  // namespace bestfocus
