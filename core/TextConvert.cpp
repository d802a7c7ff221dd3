#include "core/TextConvert.h"

#include <cstdint>
#include <cstring>

namespace wispel {

namespace {

// Writes the UTF-8 form of one code point at `out` and returns the position after it.
char* writeUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// The bytes the UTF-8 form of `text` takes at most: exact, except that a surrogate counts
// three bytes where a pair takes four and an unpaired one becomes the one-byte "?". One
// allocation then holds the whole conversion.
std::size_t utf8Bound(std::u16string_view text) {
    std::size_t bytes = text.size();
    for (const char16_t unit : text) bytes += (unit >= 0x80) + (unit >= 0x800);
    return bytes;
}

// True when the four code units at `units` are all ASCII, tested as one word.
bool fourAscii(const char16_t* units) {
    std::uint64_t word;
    std::memcpy(&word, units, sizeof word);
    return (word & 0xFF80FF80FF80FF80) == 0;
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    char bytes[4];
    out.append(bytes, writeUtf8(bytes, cp));
}

void appendToUtf8(std::string& out, std::u16string_view text) {
    const std::size_t start = out.size();
    out.resize(start + utf8Bound(text));
    char* const begin = out.data() + start;
    char* at = begin;
    std::size_t i = 0;
    while (i < text.size()) {
        // Runs of ASCII, the bulk of most text, go four units at a time.
        for (; i + 4 <= text.size() && fourAscii(text.data() + i); i += 4) {
            for (int k = 0; k < 4; ++k) *at++ = static_cast<char>(text[i + k]);
        }
        while (i < text.size() && text[i] < 0x80) *at++ = static_cast<char>(text[i++]);
        if (i == text.size()) break;
        const char16_t unit = text[i++];
        if (isHighSurrogate(unit) && i < text.size() && isLowSurrogate(text[i])) {
            at = writeUtf8(at, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i++] - 0xDC00));
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            *at++ = kDefaultChar;
        } else {
            at = writeUtf8(at, unit);
        }
    }
    out.resize(start + static_cast<std::size_t>(at - begin));
}

std::string toUtf8(std::u16string_view text) {
    std::string out;
    appendToUtf8(out, text);
    return out;
}

namespace {

// Length of the well-formed UTF-8 sequence at `at`, or 0 when it is not one.
size_t sequenceLength(std::string_view s, size_t at, char32_t& cp) {
    unsigned char b0 = static_cast<unsigned char>(s[at]);
    size_t len;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, min = 0x80, cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, min = 0x800, cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (at + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        unsigned char b = static_cast<unsigned char>(s[at + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

}  // namespace

DOMString fromUtf8(std::string_view text) {
    DOMString out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        char32_t cp;
        size_t len = sequenceLength(text, i, cp);
        if (len == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

std::string_view truncateUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Step back over continuation bytes to the start of the sequence that would be cut.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace wispel
