#include "core/TextCase.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

#include "core/TextConvert.h"

namespace wispel {

namespace {

locale_t utf8Locale() {
    static const locale_t locale = [] {
        locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return made ? made : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    }();
    return locale;
}

char32_t mapCase(char32_t cp, bool upper) {
    if (cp < 0x80) {
        if (upper && cp >= 'a' && cp <= 'z') return cp - 32;
        if (!upper && cp >= 'A' && cp <= 'Z') return cp + 32;
        return cp;
    }
    wint_t mapped = upper ? towupper_l(static_cast<wint_t>(cp), utf8Locale())
                          : towlower_l(static_cast<wint_t>(cp), utf8Locale());
    return static_cast<char32_t>(mapped);
}

// Applies the case mapping code point by code point through UTF-16 so that invalid bytes
// and unpaired surrogates take the usual replacement path.
std::u16string mapText(std::u16string_view text, bool upper) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            char32_t cp = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            char32_t m = mapCase(cp, upper);
            if (m >= 0x10000) {
                out += static_cast<char16_t>(0xD800 + ((m - 0x10000) >> 10));
                out += static_cast<char16_t>(0xDC00 + ((m - 0x10000) & 0x3FF));
            } else {
                out += static_cast<char16_t>(m);
            }
            ++i;
            continue;
        }
        char32_t m = (isHighSurrogate(unit) || isLowSurrogate(unit)) ? unit : mapCase(unit, upper);
        out += static_cast<char16_t>(m < 0x10000 ? m : unit);
    }
    return out;
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::u16string upperCase(std::u16string_view text) { return mapText(text, true); }

std::string upperCase(std::string_view text) {
    if (isAscii(text)) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        return out;
    }
    return toUtf8(mapText(fromUtf8(text), true));
}

std::string lowerCase(std::string_view text) {
    if (isAscii(text)) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return out;
    }
    return toUtf8(mapText(fromUtf8(text), false));
}

int compareTextIgnoreCase(std::string_view a, std::string_view b) {
    std::string ua = upperCase(a);
    std::string ub = upperCase(b);
    int c = ua.compare(ub);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool sameText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && upperCase(a) == upperCase(b);
}

}  // namespace wispel
