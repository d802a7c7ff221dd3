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

}  // namespace wispel
