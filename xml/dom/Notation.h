#pragma once
// A notation declared in a document type.

#include "xml/dom/Node.h"

namespace wispel {

class TdomNotation : public TdomNode {
public:
    TdomNotation(TdomDocument* ownerDocument, const DOMString& name, const DOMString& publicId,
                 const DOMString& systemId);

    void nodeValue(const DOMString&) override {}
    using TdomNode::nodeValue;

    virtual const DOMString& publicId() const;
    virtual const DOMString& systemId() const;

    static constexpr bool kOwnsHeapParts = true;
    TdomArrayLink* arrayLink() noexcept override { return &arrayLink_; }

private:
    TdomArrayLink arrayLink_;
    DOMString publicId_;
    DOMString systemId_;
};

}  // namespace wispel
