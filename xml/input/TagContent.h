#pragma once
// Takes the content of a start tag (the units between "<" and ">" or "/>") apart into the
// element name and its attributes, and the pseudo-attributes of an XML declaration. Values
// are neither normalised nor checked; names must be valid XML names and may not repeat.

#include <string_view>

#include "core/TextConvert.h"
#include "xml/input/NameValueList.h"

namespace wispel {

// Raises the EParserFatalError classes of attribute syntax errors.
void parseTagContent(std::u16string_view content, DOMString& name, TdomNameValueList& attributes);
void parseAttributes(std::u16string_view text, TdomNameValueList& attributes);

// Without white space (xmlBlank) at either end.
std::u16string_view trimBlanks(std::u16string_view text);
// Splits at the first white space: the part before it, and the rest without white space
// at either end.
void splitAtBlank(std::u16string_view text, std::u16string_view& first, std::u16string_view& rest);

}  // namespace wispel
