#include "xml/chars/XmlChars.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "core/Exception.h"
#include "core/Format.h"
#include "xml/chars/XmlCharClasses.h"

namespace wispel {

namespace {

bool asciiLetter(char16_t u) {
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}
bool asciiDigit(char16_t u) {
    return u >= u'0' && u <= u'9';
}

}  // namespace

bool allBlank(std::u16string_view text) {
    if (text.empty()) return false;
    for (char16_t unit : text) {
        if (!xmlBlank(unit)) return false;
    }
    return true;
}

TBlankSplit splitAtBlank(std::u16string_view text) {
    std::size_t blank = 0;
    while (blank < text.size() && !xmlBlank(text[blank])) ++blank;
    return {text.substr(0, blank), trimXmlBlanks(text.substr(blank))};
}

// Most names are ASCII, whose letters and digits are the plain ones; the class table is
// asked only about the units above.
bool isXmlLetter(char16_t unit) {
    if (unit < 0x80) return asciiLetter(unit);
    return (xmlclass::classOf(unit) & xmlclass::kLetter) != 0;
}

bool isXmlNameChar(char16_t unit) {
    if (unit < 0x80) {
        return asciiLetter(unit) || asciiDigit(unit) || unit == u'.' || unit == u'-' ||
               unit == u'_' || unit == u':';
    }
    return (xmlclass::classOf(unit) & xmlclass::kNameChar) != 0;
}

bool validName(std::u16string_view text) {
    if (text.empty()) return false;
    if (!isXmlLetter(text[0]) && text[0] != u'_' && text[0] != u':') return false;
    for (size_t i = 1; i < text.size(); ++i) {
        if (!isXmlNameChar(text[i])) return false;
    }
    return true;
}

bool validNCName(std::u16string_view text) {
    return validName(text) && text.find(u':') == std::u16string_view::npos;
}

bool validQName(std::u16string_view text) {
    size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) return validNCName(text);
    return validNCName(text.substr(0, colon)) && validNCName(text.substr(colon + 1));
}

namespace {

// Shared check of character data and CDATA section text, in one pass: most units are
// plain characters below the surrogates that need no further look.
// The ASCII units that character data may hold without a closer look.
constexpr std::array<bool, 0x80> kPlainAscii = [] {
    std::array<bool, 0x80> table{};
    for (int unit = 0x20; unit < 0x80; ++unit) {
        table[unit] = unit != u'<' && unit != u'&' && unit != u']';
    }
    table[u'\t'] = table[u'\n'] = table[u'\r'] = true;
    return table;
}();

// Eight units at a time in one vector register, where the compiler has one.
using UnitBlock = std::uint16_t __attribute__((vector_size(16)));
using MaskBlock = std::int16_t __attribute__((vector_size(16)));
constexpr std::size_t kBlockUnits = sizeof(UnitBlock) / sizeof(std::uint16_t);

constexpr UnitBlock splat(char16_t unit) {
    const auto u = static_cast<std::uint16_t>(unit);
    return UnitBlock{u, u, u, u, u, u, u, u};
}

bool allLanes(MaskBlock mask) {
    std::uint64_t halves[2];
    std::memcpy(halves, &mask, sizeof halves);
    return (halves[0] & halves[1]) == ~std::uint64_t{0};
}

// True when every unit of the block is plain in the sense of the loop below: a tab, line
// feed or carriage return, or a unit from U+0020 to below the surrogates other than "<",
// "&" and "]".
bool plainBlock(const char16_t* units) {
    UnitBlock block;
    std::memcpy(&block, units, sizeof block);
    MaskBlock inRange = (block >= splat(0x20)) & (block < splat(0xD800));
    MaskBlock markup = (block == splat(u'<')) | (block == splat(u'&')) | (block == splat(u']'));
    MaskBlock lineOrTab = (block == splat(u'\t')) | (block == splat(u'\n')) |
                          (block == splat(u'\r'));
    return allLanes((inRange & ~markup) | lineOrTab);
}

// True when no unit of the block is a surrogate.
bool blockWithoutSurrogates(const char16_t* units) {
    UnitBlock block;
    std::memcpy(&block, units, sizeof block);
    return allLanes((block < splat(0xD800)) | (block > splat(0xDFFF)));
}

bool validText(std::u16string_view text, bool allowMarkupChars) {
    for (size_t i = 0; i < text.size(); ++i) {
        // Long text is mostly plain: whole blocks of it go by at once.
        while (text.size() - i >= kBlockUnits && plainBlock(text.data() + i)) i += kBlockUnits;
        if (i == text.size()) break;
        char16_t unit = text[i];
        if (unit < 0x80 ? kPlainAscii[unit] : unit < 0xD800) continue;
        if (unit == u']') {
            if (text.substr(i, 3) == u"]]>") return false;
            continue;
        }
        if (!validXmlChar(unit)) return false;
        if (!allowMarkupChars && (unit == u'<' || unit == u'&')) return false;
        if (isLowSurrogate(unit)) return false;
        if (isHighSurrogate(unit)) {
            if (i + 1 >= text.size() || !isLowSurrogate(text[i + 1])) return false;
            ++i;
        }
    }
    return true;
}

}  // namespace

bool surrogatesPaired(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        while (text.size() - i >= kBlockUnits && blockWithoutSurrogates(text.data() + i)) {
            i += kBlockUnits;
        }
        if (i == text.size()) break;
        if (text[i] < 0xD800 || text[i] > 0xDFFF) continue;
        if (!isHighSurrogate(text[i]) || i + 1 >= text.size() || !isLowSurrogate(text[i + 1]))
            return false;
        ++i;
    }
    return true;
}

namespace {

int hexValue(char16_t u) {
    if (asciiDigit(u)) return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// The number between "&#" / "&#x" and ";", or nothing when the syntax is wrong or the value
// does not fit a signed 32-bit integer.
std::optional<std::int32_t> charRefNumber(std::u16string_view ref) {
    if (ref.size() < 4 || ref.substr(0, 2) != u"&#" || ref.back() != u';') return std::nullopt;
    bool hex = ref[2] == u'x';
    std::u16string_view digits = ref.substr(hex ? 3 : 2, ref.size() - (hex ? 4 : 3));
    if (digits.empty()) return std::nullopt;
    const std::int64_t base = hex ? 16 : 10;
    std::int64_t value = 0;
    for (char16_t u : digits) {
        int d = hex ? hexValue(u) : (asciiDigit(u) ? u - u'0' : -1);
        if (d < 0) return std::nullopt;
        value = value * base + d;
        if (value > INT32_MAX) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

bool xmlCodePoint(std::int32_t cp) {
    return cp == 0x09 || cp == 0x0A || cp == 0x0D || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

}  // namespace

bool validCharData(std::u16string_view text) {
    return validText(text, false);
}

bool validCDataText(std::u16string_view text) {
    return validText(text, true);
}

bool validVersionNum(std::u16string_view text) {
    if (text.empty()) return false;
    for (char16_t u : text) {
        if (!asciiLetter(u) && !asciiDigit(u) && u != u'_' && u != u'.' && u != u':' && u != u'-')
            return false;
    }
    return true;
}

bool validEncName(std::u16string_view text) {
    if (text.empty() || !asciiLetter(text[0])) return false;
    for (size_t i = 1; i < text.size(); ++i) {
        char16_t u = text[i];
        if (!asciiLetter(u) && !asciiDigit(u) && u != u'.' && u != u'_' && u != u'-') return false;
    }
    return true;
}

bool validPubidChar(char16_t unit) {
    if (unit == 0x20 || unit == 0x0D || unit == 0x0A) return true;
    if (asciiLetter(unit) || asciiDigit(unit)) return true;
    return std::u16string_view(u"-'()+,./:=?;!*#@$_%").find(unit) != std::u16string_view::npos;
}

bool validPITarget(std::u16string_view text) {
    if (!validName(text)) return false;
    if (text.size() != 3) return true;
    return !((text[0] | 0x20) == u'x' && (text[1] | 0x20) == u'm' && (text[2] | 0x20) == u'l');
}

DOMString validCharRef(std::u16string_view reference) {
    std::optional<std::int32_t> cp = charRefNumber(reference);
    if (!cp || !xmlCodePoint(*cp)) {
        throw EConvertError(formatMessage("%S is not a valid XmlCharRef value.", {reference}));
    }
    if (*cp < 0x10000) return DOMString(1, static_cast<char16_t>(*cp));
    std::int32_t v = *cp - 0x10000;
    return DOMString{static_cast<char16_t>(0xD800 + (v >> 10)),
                     static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
}

}  // namespace wispel
