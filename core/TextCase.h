#pragma once
// Locale-aware letter case for 8-bit (UTF-8) text: the one place that compares text
// without regard to case and maps case. It uses the C library's wide-character case
// mapping under a UTF-8 locale, whatever locale the process itself runs in.

#include <string>
#include <string_view>

namespace wispel {

std::string upperCase(std::string_view text);
std::string lowerCase(std::string_view text);

// <0, 0 or >0 as `a` sorts before, equal to or after `b` once both are folded to upper case.
int compareTextIgnoreCase(std::string_view a, std::string_view b);
inline bool sameText(std::string_view a, std::string_view b) {
    return compareTextIgnoreCase(a, b) == 0;
}

// The same for UTF-16 text.
std::u16string upperCase(std::u16string_view text);
bool sameText(std::u16string_view a, std::u16string_view b);

}  // namespace wispel
