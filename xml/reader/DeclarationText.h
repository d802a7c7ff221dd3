#pragma once
// Small scanners for the text of declarations in a document type definition: quoted
// literals and external ids (trimming and splitting at white space are in XmlChars.h). They work on views into the
// declaration text and copy only the pieces they hand back.

#include <cstddef>
#include <string_view>

#include "core/TextConvert.h"
#include "xml/chars/XmlChars.h"

namespace wispel {

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
