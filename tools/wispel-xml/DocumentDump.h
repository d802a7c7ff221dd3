#pragma once
// Writes a DOM document as text, one node per line in document order, indented two spaces
// per level below the document node; the attributes of an element follow it one level
// deeper. Below 64 levels the indentation stops growing and the line starts with its depth
// in brackets ("[65] "). Used by wispel-xml.

#include <ostream>
#include <string>

#include "core/TextConvert.h"

namespace wispel {

class TdomDocument;

// `text` as UTF-8 in double quotes, with the quote and every control character escaped
// (core/TerminalText.h).
std::string quoted(const DOMString& text);

void dumpDocument(TdomDocument* document, std::ostream& out);

}  // namespace wispel
