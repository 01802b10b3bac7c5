// Text placed in an HTML page: element content and quoted attribute values alike.
#pragma once

#include <string>

namespace bestfocus {

// The text with the five characters that can end a text run or an attribute value, or start a
// tag or a character reference (& < > " '), written as character references. Safe in element
// content and in attribute values quoted with either quote.
std::string html_escape(const std::string& text);

}  // namespace bestfocus
