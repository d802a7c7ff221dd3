#pragma once
// An entity declared in a document type. Its children are its parsed content; an external
// entity (one with a public or system id) takes no children.

#include "xml/dom/Node.h"

namespace wispel {

class TdomEntity : public TdomParentNode {
public:
    TdomEntity(TdomDocument* ownerDocument, const DOMString& name, const DOMString& publicId,
               const DOMString& systemId, const DOMString& notationName);

    void nodeValue(const DOMString&) override {}
    using TdomNode::nodeValue;
    TdomNode* appendChild(TdomNode* newChild) override;
    TdomNode* insertBefore(TdomNode* newChild, TdomNode* refChild) override;
    TdomNode* replaceChild(TdomNode* newChild, TdomNode* oldChild) override;

    virtual const DOMString& notationName() const;

    static constexpr bool kOwnsHeapParts = true;
    TdomArrayLink* arrayLink() noexcept override { return &arrayLink_; }

    const DOMString& publicId() const noexcept { return publicId_; }
    const DOMString& systemId() const noexcept { return systemId_; }
    const DOMString& encoding() const noexcept { return encoding_; }
    const DOMString& version() const noexcept { return version_; }
    void setEncoding(const DOMString& value) { encoding_ = value; }
    void setVersion(const DOMString& value) { version_ = value; }

private:
    void checkInternal() const;

    TdomArrayLink arrayLink_;
    DOMString encoding_;
    DOMString notationName_;
    DOMString publicId_;
    DOMString systemId_;
    DOMString version_;
};

}  // namespace wispel
