#pragma once
// Trimming of 8-bit text as the classic Trim, TrimLeft and TrimRight do it: spaces and
// control characters (every byte up to ' ') go from the ends. Bytes of UTF-8 sequences are
// above ' ', so multi-byte characters are never cut.

#include <string_view>

namespace wispel {

std::string_view trimText(std::string_view text);
std::string_view trimTextLeft(std::string_view text);
std::string_view trimTextRight(std::string_view text);

// `text` without the blanks and tabs at either end: names of tables and folders, where a
// control character is part of the name.
std::string_view trimSpacesAndTabs(std::string_view text);

}  // namespace wispel
