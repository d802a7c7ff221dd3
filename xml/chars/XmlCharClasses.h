#pragma once
// The name-character classes of XML 1.0 (first edition, appendix on character classes),
// as a table of one byte per UTF-16 code unit built once from compact range lists.

#include <cstdint>

namespace wispel::xmlclass {

enum : std::uint8_t {
    kBaseChar = 1,
    kIdeographic = 2,
    kCombining = 4,
    kDigit = 8,
    kExtender = 16,
    kLetter = kBaseChar | kIdeographic,
    kNameChar = kLetter | kCombining | kDigit | kExtender,
};

// The class bits of a code unit; surrogates and unassigned units have none.
std::uint8_t classOf(char16_t unit);

}  // namespace wispel::xmlclass
