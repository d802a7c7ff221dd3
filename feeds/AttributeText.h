#pragma once
// The text of an attribute as a reader of feeds and lists wants it. The DOM gives the value
// of an attribute with the references to the predefined entities "&amp;" and "&lt;" as the
// character references "&#38;" and "&#60;" (a value that reads back as the markup it came
// from), so an address written "?a=1&amp;b=2" would keep "&#38;" in it. Here every reference
// is its character, as in element text.

#include <string_view>

#include "core/TextConvert.h"

namespace wispel {

class TdomElement;

// The text of `element`'s attribute `name`; empty when it has none.
DOMString attributeText(const TdomElement* element, std::u16string_view name);

}  // namespace wispel
