#pragma once
// Puts one attribute of a start tag on its element. A value without references becomes a
// plain attribute value; a value with references is taken apart into text and
// entity-reference children of the attribute node, character references resolved.

#include "core/TextConvert.h"

namespace wispel {

class TdomElement;

// Raises EParserInvalidAttributeName_Err, EParserInvalidAttributeValue_Err or
// EParserInvalidCharRef_Err; the element keeps whatever was attached before the failure.
void addAttributeValue(TdomElement* element, const DOMString& name, const DOMString& value);

}  // namespace wispel
