#pragma once
// The DOM cannot depend on the parser (the parser builds on the DOM), yet an entity
// reference's expand() parses its replacement text as XML content. The parser hands the
// function that does this to the DOM implementation it builds documents with; the documents
// of an implementation that never had one find nothing to build from.

#include "core/TextConvert.h"

namespace wispel {

class TdomNode;

// Parses `text` as XML content and appends the resulting nodes to `target`; false when the
// text does not parse (nothing may be raised).
using TdomContentTextParser = bool (*)(const DOMString& text, TdomNode* target);

}  // namespace wispel
