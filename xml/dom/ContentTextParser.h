#pragma once
// The DOM cannot depend on the parser (the parser builds on the DOM), yet an entity
// reference's expand() parses its replacement text as XML content. The parser registers
// the function that does this; until it has, expand() finds nothing to build from.

#include "core/TextConvert.h"

namespace wispel {

class TdomNode;

// Parses `text` as XML content and appends the resulting nodes to `target`; false when the
// text does not parse (nothing may be raised).
using TdomContentTextParser = bool (*)(const DOMString& text, TdomNode* target);

void setContentTextParser(TdomContentTextParser parser);
TdomContentTextParser contentTextParser();

}  // namespace wispel
