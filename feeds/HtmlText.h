#pragma once
// Escaped HTML reduced to its text, for Atom's "html" text constructs: tags and comments
// dropped (the tags of blocks and line breaks leave one space, so that paragraphs do not run
// together), character references and HTML's named references turned into characters.
// References HTML does not know stay as written.

#include "core/TextConvert.h"

namespace wispel {

// Appends the text of `html` to `out`.
void appendHtmlText(std::u16string_view html, DOMString& out);

// True for the (lower-case) name of an element that starts or ends a block or a line: "p",
// "br", "li", "div", the headings, table cells...
bool isHtmlBlockName(std::u16string_view name);
// Appends one space unless `out` is empty or already ends with a blank, so that the text on
// either side of a block's edge does not run together.
void appendBlockSeparator(DOMString& out);

}  // namespace wispel
