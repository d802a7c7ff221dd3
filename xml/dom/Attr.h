#pragma once
// Attributes. An attribute has no parent and no siblings; while it belongs to an element's
// attribute map its owner element is that element. Its value is computed from its children
// (text and entity references).

#include "xml/dom/Node.h"

namespace wispel {

class TdomElement;

class TdomAttr : public TdomParentNode {
public:
    TdomAttr(TdomDocument* ownerDocument, const DOMString& name, bool specified = true);
    TdomAttr(TdomDocument* ownerDocument, const DOMString& namespaceURI,
             const DOMString& qualifiedName, bool specified = true);

    DOMString nodeValue() const override;
    void nodeValue(const DOMString& value) override;
    TdomNode* parentNode() const override { return nullptr; }
    TdomArrayLink* arrayLink() noexcept override { return &arrayLink_; }

    virtual const DOMString& name() const;
    virtual bool specified() const;
    virtual DOMString value() const;
    virtual void value(const DOMString& value);
    virtual TdomElement* ownerElement() const;
    // The children as markup: escaped text, "&name;" for entity references.
    virtual DOMString valueMarkup() const;

    // Default attributes copied from a declaration are not specified.
    void setSpecified(bool value) noexcept { specified_ = value; }

private:
    friend class TdomNamedNodeMap;
    friend class TdomElement;

    TdomElement* ownerElement_ = nullptr;
    TdomArrayLink arrayLink_;
    bool specified_;
};

}  // namespace wispel
