#pragma once
// The value of a feed field: the whole text content of its element, that is the data of
// its text and CDATA descendants in document order, each entity reference replaced by its
// text. Whitespace stays as it is.

#include <string>

#include "feeds/EntityExpander.h"

namespace wispel {

class TdomNode;
class TdomDocument;

// 8-bit (UTF-8) text of `element`'s content. References go through `expander`.
std::string elementText(const TdomNode* element, TEntityExpander& expander);
// The same text as UTF-16 code units.
DOMString elementUnits(const TdomNode* element, TEntityExpander& expander);

// An expander over the internal entities of `document`'s DTD; the document must outlive it.
TEntityExpander documentEntityExpander(const TdomDocument* document);

}  // namespace wispel
