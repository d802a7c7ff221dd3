#pragma once
// Small scanners for the text of declarations in a document type definition: trimming,
// splitting at white space, quoted literals and external ids. They work on views into the
// declaration text and copy only the pieces they hand back.

#include <cstddef>
#include <string_view>

#include "core/TextConvert.h"
#include "xml/input/TagContent.h"  // trimBlanks

namespace wispel {

// Splits at the first white-space unit: the part before it, and the rest with its leading
// white space removed. Without white space the rest is empty.
struct TBlankSplit {
    std::u16string_view head;
    std::u16string_view rest;
};
TBlankSplit splitAtBlank(std::u16string_view text);

// Reads a literal in single or double quotes starting at `pos`: it runs to the next equal
// quote and must be followed by white space or the end. On success `value` holds the units
// between the quotes, `pos` stands after the closing quote and the result is true.
bool readLiteral(std::u16string_view text, std::size_t& pos, DOMString& value);

// A literal that may appear as a public id: only public-id characters.
bool validPubidLiteral(std::u16string_view value);

struct TExternalId {
    DOMString publicId;
    DOMString systemId;
};

// Reads "SYSTEM" literal or "PUBLIC" literal literal (keywords upper case) from the start of
// `text`; `pos` stands after the last literal. With `systemOptional` (notations) the system
// literal after a public id may be missing. False when the text does not match.
bool readExternalId(std::u16string_view text, std::size_t& pos, TExternalId& id,
                    bool systemOptional = false);

void skipBlank(std::u16string_view text, std::size_t& pos);

}  // namespace wispel
