#pragma once
// The trims of text, each named after what it strips from the ends. None cuts a multi-byte
// UTF-8 character: the bytes of such sequences are above ' ', and none of them is stripped.

#include <string_view>

namespace wispel {

// Spaces and control characters (every byte up to ' '), as the classic Trim, TrimLeft and
// TrimRight do it: header values, dates.
std::string_view trimText(std::string_view text);
std::string_view trimTextLeft(std::string_view text);
std::string_view trimTextRight(std::string_view text);

// Blanks and tabs: names of tables and folders, where a control character is part of the
// name.
std::string_view trimSpacesAndTabs(std::string_view text);

// Spaces only: values written in filter texts.
std::string_view trimSpaces(std::string_view text);

// The blanks of XML (space, tab, line feed, carriage return): markup, and texts taken from
// it such as links, in 8-bit text and in UTF-16 code units.
std::string_view trimXmlBlanks(std::string_view text);
std::u16string_view trimXmlBlanks(std::u16string_view text);

}  // namespace wispel
