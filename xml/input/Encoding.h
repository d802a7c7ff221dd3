#pragma once
// The encodings the input source decodes, with the values it stores for them.

#include <cstdint>
#include <string_view>

namespace wispel {

enum class TdomEncoding : std::uint8_t {
    etUTF8 = 0,
    etUTF16LE = 1,
    etUTF16BE = 2,
    etISO8859_1 = 3,
    etISO8859_2 = 4,
    etISO8859_3 = 5,
    etISO8859_4 = 6,
    etISO8859_5 = 7,
    etISO8859_6 = 8,
    etISO8859_7 = 9,
    etISO8859_8 = 10,
    etISO8859_9 = 11,
    etISO8859_10 = 12,
    etISO8859_13 = 13,
    etISO8859_14 = 14,
    etISO8859_15 = 15,
    etKOI8_R = 16,
    etMacRoman = 17,
    etWindows1250 = 18,
    etWindows1251 = 19,
    etWindows1252 = 20,
    // A character set the tables above do not cover, decoded through the C library.
    etIconv = 21,
};

// The encoding an encoding declaration names (compared ASCII case-insensitively); UTF-8
// for every name it does not know, including "UTF-16".
TdomEncoding encodingFromName(std::u16string_view name);
// True when the built-in tables know `name` (UTF-8, US-ASCII and UTF-16 among them, which
// all read as UTF-8); `encoding` is then the one it selects.
bool knownEncodingName(std::u16string_view name, TdomEncoding& encoding);

// The name a decoding error of a single-byte character set uses ("cp1251", "Windows-1252").
const char* encodingErrorName(TdomEncoding encoding);

}  // namespace wispel
