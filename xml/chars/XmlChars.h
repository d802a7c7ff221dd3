#pragma once
// Character predicates of the XML layer, on UTF-16 code units and DOMStrings. Name
// characters follow the letter, digit, combining-character and extender classes of
// XML 1.0 (first edition); a surrogate code unit is never a name character.

#include <string_view>

#include "core/TextConvert.h"
#include "core/TextTrim.h"  // trimXmlBlanks, used with the splits below

namespace wispel {

// Tab, line feed, carriage return, or U+0020 to U+FFFD (surrogate code units included).
inline bool validXmlChar(char16_t unit) {
    return unit == 0x09 || unit == 0x0A || unit == 0x0D || (unit >= 0x20 && unit <= 0xFFFD);
}
// Space, tab, line feed, carriage return.
inline bool xmlBlank(char16_t unit) {
    return unit == 0x20 || unit == 0x09 || unit == 0x0A || unit == 0x0D;
}
// Not empty and every unit xmlBlank.
bool allBlank(std::u16string_view text);

// Splits at the first white-space unit: the part before it, and the rest without white space
// at either end. Without white space the rest is empty.
struct TBlankSplit {
    std::u16string_view head;
    std::u16string_view rest;
};
TBlankSplit splitAtBlank(std::u16string_view text);

bool isXmlLetter(char16_t unit);
bool isXmlNameChar(char16_t unit);

// Not empty; a letter, "_" or ":" first, name characters after.
bool validName(std::u16string_view text);
// A name without any ":" (namespace-local name).
bool validNCName(std::u16string_view text);
// NCName, or NCName ":" NCName.
bool validQName(std::u16string_view text);
// Valid characters, surrogates in high-low pairs, no "]]>", and neither "<" nor "&".
bool validCharData(std::u16string_view text);
// Every high surrogate is followed by a low one and every low one follows a high one.
bool surrogatesPaired(std::u16string_view text);
// The same, but "<" and "&" are allowed.
bool validCDataText(std::u16string_view text);
// Not empty; ASCII letters, digits, "_", ".", ":" and "-" only.
bool validVersionNum(std::u16string_view text);
// Not empty; an ASCII letter first, then ASCII letters, digits, ".", "_" or "-".
bool validEncName(std::u16string_view text);
// The characters allowed in a public identifier literal.
bool validPubidChar(char16_t unit);
// validName and not "xml" in any letter case.
bool validPITarget(std::u16string_view text);

// Converts a character reference ("&#65;" or "&#x41;") to its character: one code unit, or a
// surrogate pair above U+FFFF. Raises EConvertError "<reference> is not a valid XmlCharRef
// value." for anything else, including a code point that is not an XML character.
DOMString validCharRef(std::u16string_view reference);

}  // namespace wispel
