#pragma once
// A document fragment: a parentless holder of children. Inserting it moves its children.

#include "xml/dom/Node.h"

namespace wispel {

class TdomDocumentFragment : public TdomParentNode {
public:
    explicit TdomDocumentFragment(TdomDocument* ownerDocument);

    void nodeValue(const DOMString&) override {}
    using TdomNode::nodeValue;
};

}  // namespace wispel
