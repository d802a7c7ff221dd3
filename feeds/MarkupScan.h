#pragma once
// Small scanners over markup held as text (entity replacement texts, escaped HTML in feed
// fields): where a tag, a comment or a reference ends. They never fail; unterminated markup
// runs to the end of the text.

#include <cstddef>
#include <string_view>

#include "core/TextConvert.h"

namespace wispel {

// The position just after `terminator` at or after `from`, or the text's end.
std::size_t markupAfter(std::u16string_view text, std::u16string_view terminator,
                        std::size_t from);

// True when `rest` starts with a start or end tag ("<" then a name start or "/").
bool startsTag(std::u16string_view rest);

// The end of a tag starting at `from` ("<"), quoted attribute values passed over.
std::size_t tagEnd(std::u16string_view text, std::size_t from);

// The position after the ";" of a reference starting at `from` ("&"), or 0 when no name or
// character number runs up to a ";" there.
std::size_t referenceEnd(std::u16string_view text, std::size_t from);

// The character of a character reference ("&#233;", "&#xE9;"), or the reference as
// written when it names no character XML allows.
DOMString characterReferenceText(std::u16string_view reference);

}  // namespace wispel
