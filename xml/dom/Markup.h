#pragma once
// Writes a node and its subtree as XML markup. The output is well-formed for any tree the
// DOM can hold: text is escaped, a "]]>" inside a CDATA section splits the section, and
// "--" in a comment or "?>" in an instruction's data is broken up by a space. It loops with
// an explicit stack, so a tree of any depth can be written.

#include <string_view>

#include "core/TextConvert.h"

namespace wispel {

class TdomNode;
class TStream;

void appendMarkup(const TdomNode* node, DOMString& out);

// Markup goes to streams as UTF-16 code units in little-endian byte order.
void writeUtf16LE(TStream& stream, std::u16string_view text);
DOMString readUtf16LE(std::string_view bytes);

}  // namespace wispel
