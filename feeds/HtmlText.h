#pragma once
// Escaped HTML reduced to its text, for Atom's "html" text constructs: tags and comments
// dropped, character references and HTML's named references turned into characters.
// References HTML does not know stay as written.

#include "core/TextConvert.h"

namespace wispel {

DOMString htmlToText(std::u16string_view html);

}  // namespace wispel
