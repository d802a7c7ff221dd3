#pragma once
// Writes a DOM document as text, one node per line in document order, indented two spaces
// per level below the document node; the attributes of an element follow it one level
// deeper. Used by wispel-xml.

#include <ostream>
#include <string>

#include "core/TextConvert.h"

namespace wispel {

class TdomDocument;

// `text` in double quotes, with backslash, quote, line feed, carriage return and tab
// escaped, other units below 0x20 as \xHH, and everything else as UTF-8.
std::string quoted(const DOMString& text);

void dumpDocument(TdomDocument* document, std::ostream& out);

}  // namespace wispel
