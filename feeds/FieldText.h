#pragma once
// The value of a feed field: the whole text content of its element, that is the data of
// its text and CDATA descendants in document order, each entity reference replaced by its
// text. Whitespace stays as it is.

#include <string>
#include <utility>

#include "feeds/EntityExpander.h"

namespace wispel {

class TdomNode;
class TdomDocument;

// The field texts of one document, one after the other: each is built in a buffer they all
// share, so that a field costs the one string it is returned in. References go through the
// expander.
class TFieldTextReader {
public:
    explicit TFieldTextReader(TEntityExpander expander) : expander_(std::move(expander)) {}

    // The 8-bit (UTF-8) text of `element`'s content.
    std::string text(const TdomNode* element);
    // The same as UTF-16 code units, in the shared buffer: valid until the next call.
    const DOMString& units(const TdomNode* element);
    // The same for content that is markup of its own (XHTML): one space also stands where
    // an element of a block or a line break starts or ends, so that paragraphs do not run
    // together.
    const DOMString& blockUnits(const TdomNode* element);

private:
    TEntityExpander expander_;
    DOMString units_;  // the last field's text, kept for its capacity
};

// An expander over the internal entities of `document`'s DTD; the document must outlive it.
TEntityExpander documentEntityExpander(const TdomDocument* document);

}  // namespace wispel
