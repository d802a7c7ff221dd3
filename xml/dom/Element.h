#pragma once
// Elements: a tag name, children, and an attribute map over the element's own attribute
// array. The element owns the map and the element lists it made; the attributes belong to
// the document.

#include <memory>
#include <optional>

#include "xml/dom/ElementListCache.h"
#include "xml/dom/NamedNodeMap.h"
#include "xml/dom/Node.h"

namespace wispel {

class TdomAttr;

class TdomElement : public TdomParentNode {
public:
    TdomElement(TdomDocument* ownerDocument, const DOMString& tagName);
    TdomElement(TdomDocument* ownerDocument, const DOMString& namespaceURI,
                const DOMString& qualifiedName);

    void nodeValue(const DOMString&) override {}
    using TdomNode::nodeValue;
    TdomNamedNodeMap* attributes() const override;
    void setReadonly(bool value) override;
    void normalize() override;

    virtual const DOMString& tagName() const;
    virtual DOMString getAttribute(const DOMString& name) const;
    // The new attribute, or null when one of that name existed (its value is replaced).
    virtual TdomAttr* setAttribute(const DOMString& name, const DOMString& value);
    virtual TdomAttr* removeAttribute(const DOMString& name);
    virtual TdomAttr* getAttributeNode(const DOMString& name) const;
    virtual TdomAttr* setAttributeNode(TdomAttr* attr);
    virtual TdomAttr* removeAttributeNode(TdomAttr* attr);
    virtual TdomNodeList* getElementsByTagName(const DOMString& name);
    virtual DOMString getAttributeNS(const DOMString& namespaceURI,
                                     const DOMString& localName) const;
    virtual TdomAttr* setAttributeNS(const DOMString& namespaceURI, const DOMString& qualifiedName,
                                     const DOMString& value);
    virtual TdomAttr* removeAttributeNS(const DOMString& namespaceURI, const DOMString& localName);
    virtual TdomAttr* getAttributeNodeNS(const DOMString& namespaceURI,
                                         const DOMString& localName) const;
    virtual TdomAttr* setAttributeNodeNS(TdomAttr* attr);
    virtual TdomNodeList* getElementsByTagNameNS(const DOMString& namespaceURI,
                                                 const DOMString& localName);
    virtual bool hasAttribute(const DOMString& name) const;
    virtual bool hasAttributeNS(const DOMString& namespaceURI, const DOMString& localName) const;

    // The attributes in map order, for code that walks them.
    const TdomNodeArray& attributeArray() const noexcept;

private:
    // setAttributeNode and setAttributeNodeNS: the replaced attribute of the same key.
    TdomAttr* attachAttribute(TdomAttr* attr, bool byNamespace);
    void checkPlainMap() const;
    void checkNSMap() const;

    // The attributes, their map and the list cache are made on first use: most elements of
    // a feed never need any of them, and a smaller node keeps large documents in cache.
    struct TParts {
        TdomNodeArray attributeArray;
        std::optional<TdomNamedNodeMap> attributeMap;  // in the same block: most maps are made
        std::unique_ptr<TdomElementListCache> lists;
    };
    TParts& parts() const;
    TdomNamedNodeMap* map() const;
    TdomElementListCache& lists();

    mutable std::unique_ptr<TParts> parts_;
};

}  // namespace wispel
