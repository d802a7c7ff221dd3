#pragma once
// The XML layer's text is UTF-16 (`DOMString`); everything else holds 8-bit text, which on
// this platform is always UTF-8. These conversions are the code-page conversions of the
// system: an unpaired surrogate becomes the default character "?", and an invalid UTF-8
// sequence becomes U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace wispel {

using DOMString = std::u16string;

constexpr char kDefaultChar = '?';

std::string toUtf8(std::u16string_view text);
// The same appended to `out`.
void appendToUtf8(std::string& out, std::u16string_view text);
DOMString fromUtf8(std::string_view text);

// Appends the UTF-8 form of one code point (callers pass valid scalar values).
void appendUtf8(std::string& out, char32_t codePoint);

// The longest prefix of `text` of at most `maxBytes` bytes that does not end inside a
// UTF-8 sequence.
std::string_view truncateUtf8(std::string_view text, std::size_t maxBytes);

inline bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace wispel
