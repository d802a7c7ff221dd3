#pragma once
// The base of every node of the document tree.
//
// Ownership: a node is made by one document's factory operations, records that document as
// its owner, and is destroyed only by it (freeAllNodes, the document's clear, or the
// document's destruction). A node owns its child array and child list view, never the
// children themselves; destroying a node touches no other node. Removing a node from a tree
// never frees it.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/TextConvert.h"
#include "xml/dom/NodeArray.h"
#include "xml/dom/NodeList.h"
#include "xml/dom/NodeType.h"

namespace wispel {

class TStream;
class TdomDocument;
class TdomNamedNodeMap;
class TdomCustomErrorHandler;

// How resolveEntityReferences treats the entity references below a node.
enum class TdomEntityResolveOption : std::uint8_t {
    erReplace,  // replace each reference by copies of its content
    erExpand,   // keep each reference and (re)build its content
};

class TdomNode {
public:
    virtual ~TdomNode();
    TdomNode(const TdomNode&) = delete;
    TdomNode& operator=(const TdomNode&) = delete;

    virtual void makeChildrenReadonly();
    virtual bool refersToExternalEntity();
    virtual bool refersToUnparsedEntity();
    virtual bool hasEntityReference(const DOMString& name);
    virtual void refreshEntityReferences(const DOMString& name);
    virtual void clearEntityReferences(const DOMString& name);
    virtual const DOMString& nodeName() const;
    virtual DOMString nodeValue() const;
    virtual void nodeValue(const DOMString& value);
    virtual TdomNodeType nodeType() const;
    virtual TdomNamedNodeMap* attributes() const;
    virtual TdomNode* parentNode() const;
    virtual TdomNodeList* childNodes();
    virtual TdomNode* firstChild() const;
    virtual TdomNode* lastChild() const;
    virtual TdomNode* previousSibling() const;
    virtual TdomNode* nextSibling() const;
    virtual TdomDocument* ownerDocument() const;
    virtual DOMString xmlText();
    virtual void setReadonly(bool value);
    virtual void prefix(const DOMString& value);
    virtual bool validateNode(TdomCustomErrorHandler* handler);
    virtual bool validateIdReferences(TdomCustomErrorHandler* handler);
    virtual TdomNode* appendChild(TdomNode* newChild);
    virtual void clear();
    virtual TdomNode* cloneNode(bool deep);
    virtual bool hasChildNodes() const;
    virtual TdomNode* insertBefore(TdomNode* newChild, TdomNode* refChild);
    virtual bool hasAncestor(const TdomNode* node) const;
    virtual void normalize();
    virtual TdomNode* removeChild(TdomNode* oldChild);
    virtual TdomNode* replaceChild(TdomNode* newChild, TdomNode* oldChild);
    virtual void resolveEntityReferences(TdomEntityResolveOption mode);
    virtual bool isSupported(const DOMString& feature, const DOMString& version) const;
    // Writes the node's markup as UTF-16 code units (little-endian).
    virtual void writeXml(TStream& stream);

    const DOMString& localName() const noexcept;
    const DOMString& namespaceURI() const noexcept;
    const DOMString& prefix() const noexcept;
    bool isReadonly() const noexcept { return readonly_; }
    TdomTypeSet allowedChildTypes() const noexcept { return allowedChildTypesOf(nodeType_); }
    // The children, for code that walks the tree (same content as childNodes()).
    const TdomNodeArray& children() const noexcept {
        return childList_ != nullptr ? childList_->array : noChildren();
    }

protected:
    TdomNode(TdomDocument* ownerDocument, const DOMString& name, TdomNodeType type);

    // ENo_Modification_Allowed_Err when the node is read-only.
    void checkModifiable() const;
    // The namespace-aware constructors' name split and checks; `isAttribute` adds the
    // "xmlns" rules.
    void initQualifiedName(const DOMString& namespaceURI, const DOMString& qualifiedName,
                           bool isAttribute);

    // Detaches and frees every child (read-only flags cleared first).
    void freeChildren();
    // Gives the node another name (a new prefix).
    void setNodeName(const DOMString& name);
    // The child array, made with the first child or the first request for the child list.
    TdomNodeArray& childArray();

    // Names are shared: the owner document keeps one string per distinct name, so that a
    // node costs a pointer for its name. A node without an owner keeps its own.
    const DOMString* nodeName_;
    TdomDocument* ownerDocument_;
    TdomNode* parentNode_ = nullptr;
    // The small fields share one word; the allowed child types follow from the type.
    bool readonly_ = false;
    TdomNodeType nodeType_;
    // Whether the node's block is in its document's node pool rather than the heap, and its
    // position in the owner document's created nodes (fewer than 2^32: each node takes far
    // more than one byte). Both written only by the document.
    bool pooled_ = false;
    std::uint32_t createdIndex_ = 0;
    // Only nodes made by the namespace-aware factories, and nodes without an owner document,
    // carry these; most nodes never do.
    struct TNamespaceParts {
        DOMString localName;
        DOMString namespaceURI;
        DOMString prefix;
        DOMString ownName;  // the name of a node whose document does not keep it
    };
    TNamespaceParts& rareParts();
    std::unique_ptr<TNamespaceParts> ns_;

private:
    friend class TdomNodeArray;
    friend class TdomDocument;
    friend class TdomNamedNodeMap;
    friend class TdomEntitiesNamedNodeMap;

    // The pool for the child array of a node of `ownerDocument`: the document's.
    static TdomNodePool* childSlotPool(TdomDocument* ownerDocument, const TdomNode* node);
    static const TdomNodeArray& noChildren() noexcept;

    // The child array and its list view. Leaves (text above all) never have one, which
    // keeps them small; it comes from the pool it names, or the heap when that is null.
    struct TChildList {
        explicit TChildList(TdomNodePool* fromPool) : pool(fromPool), array(fromPool) {}
        TdomNodePool* pool;
        TdomNodeArray array;
        TdomNodeList list{&array};
    };
    TChildList* childList_ = nullptr;  // owned

    TdomArrayLink arrayLink_;  // position in the arrays that hold the node
};

}  // namespace wispel
