#include "xml/input/Encoding.h"

#include <array>

namespace wispel {
namespace {

struct NamedEncoding {
    std::string_view name;
    TdomEncoding encoding;
};

constexpr std::array<NamedEncoding, 39> kNames = {{
    {"ISO-8859-1", TdomEncoding::etISO8859_1},
    {"Latin-1", TdomEncoding::etISO8859_1},
    {"ISO-8859-2", TdomEncoding::etISO8859_2},
    {"Latin-2", TdomEncoding::etISO8859_2},
    {"ISO-8859-3", TdomEncoding::etISO8859_3},
    {"Latin-3", TdomEncoding::etISO8859_3},
    {"ISO-8859-4", TdomEncoding::etISO8859_4},
    {"Latin-4", TdomEncoding::etISO8859_4},
    {"ISO-8859-5", TdomEncoding::etISO8859_5},
    {"Cyrillic", TdomEncoding::etISO8859_5},
    {"ISO-8859-6", TdomEncoding::etISO8859_6},
    {"Arabic", TdomEncoding::etISO8859_6},
    {"ISO-8859-7", TdomEncoding::etISO8859_7},
    {"Greek", TdomEncoding::etISO8859_7},
    {"ISO-8859-8", TdomEncoding::etISO8859_8},
    {"Hebrew", TdomEncoding::etISO8859_8},
    {"ISO-8859-9", TdomEncoding::etISO8859_9},
    {"Latin-5", TdomEncoding::etISO8859_9},
    {"ISO-8859-10", TdomEncoding::etISO8859_10},
    {"Latin-6", TdomEncoding::etISO8859_10},
    {"ISO-8859-13", TdomEncoding::etISO8859_13},
    {"Latin-7", TdomEncoding::etISO8859_13},
    {"ISO-8859-14", TdomEncoding::etISO8859_14},
    {"Latin-8", TdomEncoding::etISO8859_14},
    {"ISO-8859-15", TdomEncoding::etISO8859_15},
    {"Latin-9", TdomEncoding::etISO8859_15},
    {"KOI8-R", TdomEncoding::etKOI8_R},
    {"cp10000_MacRoman", TdomEncoding::etMacRoman},
    {"Windows-1250", TdomEncoding::etWindows1250},
    {"cp1250", TdomEncoding::etWindows1250},
    {"Windows-1251", TdomEncoding::etWindows1251},
    {"cp1251", TdomEncoding::etWindows1251},
    {"Windows-1252", TdomEncoding::etWindows1252},
    {"cp1252", TdomEncoding::etWindows1252},
    {"UTF-8", TdomEncoding::etUTF8},
    {"UTF-16", TdomEncoding::etUTF8},
    // A common misspelling of UTF-8, and ASCII, which UTF-8 contains, read as they always
    // were rather than through the C library.
    {"UTF8", TdomEncoding::etUTF8},
    {"US-ASCII", TdomEncoding::etUTF8},
    {"ASCII", TdomEncoding::etUTF8},
}};

char16_t asciiUpper(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
}

bool sameAsciiText(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiUpper(a[i]) != asciiUpper(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

}  // namespace

bool knownEncodingName(std::u16string_view name, TdomEncoding& encoding) {
    for (const auto& entry : kNames) {
        if (sameAsciiText(name, entry.name)) {
            encoding = entry.encoding;
            return true;
        }
    }
    return false;
}

TdomEncoding encodingFromName(std::u16string_view name) {
    TdomEncoding encoding = TdomEncoding::etUTF8;
    knownEncodingName(name, encoding);
    return encoding;
}

const char* encodingErrorName(TdomEncoding encoding) {
    switch (encoding) {
        case TdomEncoding::etMacRoman:
            return "cp10000_MacRoman";
        case TdomEncoding::etWindows1250:
            return "Windows-1250";
        case TdomEncoding::etWindows1251:
            return "cp1251";
        case TdomEncoding::etWindows1252:
            return "Windows-1252";
        case TdomEncoding::etKOI8_R:
            return "KOI8-R";
        default:
            break;
    }
    static const char* const kIsoNames[] = {
        "ISO-8859-1",  "ISO-8859-2",  "ISO-8859-3", "ISO-8859-4", "ISO-8859-5",
        "ISO-8859-6",  "ISO-8859-7",  "ISO-8859-8", "ISO-8859-9", "ISO-8859-10",
        "ISO-8859-13", "ISO-8859-14", "ISO-8859-15"};
    int index = static_cast<int>(encoding) - static_cast<int>(TdomEncoding::etISO8859_1);
    return index >= 0 && index < 13 ? kIsoNames[index] : "UTF-8";
}

}  // namespace wispel
