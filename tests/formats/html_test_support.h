// Reading back what the HTML page writes: attribute values, base64, elements.
#pragma once

#include <string>
#include <vector>

// RFC 4648 base64 decoded, written from the RFC's table; stops at the first '='.
std::vector<unsigned char> decode_base64(const std::string& text);

// The five character references html_escape writes, back to their characters.
std::string unescape_html(const std::string& text);

// Every value of the attribute (name="value") in the text, in order.
std::vector<std::string> attribute_values(const std::string& text, const std::string& name);

// How often needle occurs in text.
std::size_t count_of(const std::string& text, const std::string& needle);

// The cards of the page, each from its "<section class=\"card" to its "</section>".
std::vector<std::string> page_cards(const std::string& page);
