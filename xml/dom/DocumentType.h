#pragma once
// The document type: name, ids, internal subset, and the maps of declared entities and
// notations (owned with their arrays; the nodes in them belong to the document).

#include <memory>

#include "xml/dom/NamedNodeMap.h"
#include "xml/dom/Node.h"

namespace wispel {

class TdomDocumentType : public TdomNode {
public:
    TdomDocumentType(TdomDocument* ownerDocument, const DOMString& name, const DOMString& publicId,
                     const DOMString& systemId, const DOMString& internalSubset);

    void nodeValue(const DOMString&) override {}
    using TdomNode::nodeValue;

    virtual TdomEntitiesNamedNodeMap* entities() const;
    virtual const DOMString& internalSubset() const;
    virtual const DOMString& name() const;
    virtual TdomNamedNodeMap* notations() const;
    virtual const DOMString& publicId() const;
    virtual const DOMString& systemId() const;

    static constexpr bool kOwnsHeapParts = true;
    TdomArrayLink* arrayLink() noexcept override { return &arrayLink_; }

protected:
    TdomDocument* heapOwner() const noexcept override { return ownerDocument_; }

private:
    friend class TDomImplementation;
    friend class TdomDocument;

    // A free document type joins a document: it and its maps take that owner.
    void setOwnerDocument(TdomDocument* document);

    // Kept only by a document type made on its own, which no document's table names.
    DOMString ownName_;
    TdomDocument* ownerDocument_;
    TdomArrayLink arrayLink_;
    DOMString internalSubset_;
    DOMString publicId_;
    DOMString systemId_;
    TdomNodeArray entityArray_;
    std::unique_ptr<TdomEntitiesNamedNodeMap> entityMap_;
    TdomNodeArray notationArray_;
    std::unique_ptr<TdomNamedNodeMap> notationMap_;
};

}  // namespace wispel
