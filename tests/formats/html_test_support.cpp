#include "html_test_support.h"

std::vector<unsigned char> decode_base64(const std::string& text) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<unsigned char> bytes;
    unsigned bits = 0;
    int bit_count = 0;
    for (const char c : text) {
        if (c == '=') break;
        bits = bits << 6 | static_cast<unsigned>(alphabet.find(c));
        bit_count += 6;
        if (bit_count >= 8) {
            bit_count -= 8;
            bytes.push_back(static_cast<unsigned char>(bits >> bit_count & 0xff));
        }
    }
    return bytes;
}

std::string unescape_html(const std::string& text) {
    const std::pair<std::string, char> references[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&amp;", '&'}};
    std::string plain;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [reference, character] : references) {
            if (text.compare(i, reference.size(), reference) == 0) {
                plain += character;
                i += reference.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) plain += text[i++];
    }
    return plain;
}

std::vector<std::string> attribute_values(const std::string& text, const std::string& name) {
    std::vector<std::string> values;
    const std::string start = " " + name + "=\"";
    for (std::size_t at = text.find(start); at != std::string::npos; at = text.find(start, at)) {
        at += start.size();
        values.push_back(text.substr(at, text.find('"', at) - at));
    }
    return values;
}

std::size_t count_of(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

std::vector<std::string> page_cards(const std::string& page) {
    std::vector<std::string> cards;
    const std::string start = "<section class=\"card";
    for (std::size_t at = page.find(start); at != std::string::npos; at = page.find(start, at)) {
        const std::size_t end = page.find("</section>", at);
        cards.push_back(page.substr(at, end - at));
        at = end;
    }
    return cards;
}
