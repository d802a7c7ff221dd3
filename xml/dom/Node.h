#pragma once
// The base of every node of the document tree.
//
// Ownership: a node is made by one document's factory operations, belongs to that document,
// and is destroyed only by it (freeAllNodes, the document's clear, or the document's
// destruction). A node never owns other nodes; destroying a node touches no other node.
// Removing a node from a tree never frees it.
//
// Layout: a parsed feed has tens of nodes per item, most of them text and entity
// references, so a node keeps only what every node needs: its name, parent and siblings and
// one word of small fields. Children hang from the parent's first child (nodes that can have
// children derive from TdomParentNode); siblings are linked both ways, the first child's
// previous link pointing at the last child. A node made in its document's pool finds the
// document from its own address; namespace parts and child list views live in tables of
// the document, for the few nodes that have them.

#include <cstddef>
#include <cstdint>

#include "core/TextConvert.h"
#include "xml/dom/NodeArray.h"
#include "xml/dom/NodeList.h"
#include "xml/dom/NodePool.h"
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
    // The tree's own accessors are not virtual: every walk over a large document calls
    // them for each node, and no kind of node answers them differently.
    const DOMString& nodeName() const noexcept { return *nodeName_; }
    virtual DOMString nodeValue() const;
    virtual void nodeValue(const DOMString& value);
    TdomNodeType nodeType() const noexcept { return nodeType_; }
    virtual TdomNamedNodeMap* attributes() const;
    virtual TdomNode* parentNode() const;
    virtual TdomNodeList* childNodes();
    TdomNode* firstChild() const noexcept;
    TdomNode* lastChild() const noexcept;
    TdomNode* previousSibling() const noexcept;
    TdomNode* nextSibling() const noexcept { return nextSibling_; }
    TdomDocument* ownerDocument() const noexcept { return owner(); }
    virtual DOMString xmlText();
    virtual void setReadonly(bool value);
    virtual void prefix(const DOMString& value);
    virtual bool validateNode(TdomCustomErrorHandler* handler);
    virtual bool validateIdReferences(TdomCustomErrorHandler* handler);
    virtual TdomNode* appendChild(TdomNode* newChild);
    virtual void clear();
    virtual TdomNode* cloneNode(bool deep);
    bool hasChildNodes() const noexcept { return firstChild() != nullptr; }
    virtual TdomNode* insertBefore(TdomNode* newChild, TdomNode* refChild);
    virtual bool hasAncestor(const TdomNode* node) const;
    virtual void normalize();
    virtual TdomNode* removeChild(TdomNode* oldChild);
    virtual TdomNode* replaceChild(TdomNode* newChild, TdomNode* oldChild);
    virtual void resolveEntityReferences(TdomEntityResolveOption mode);
    virtual bool isSupported(const DOMString& feature, const DOMString& version) const;
    // Writes the node's markup as UTF-16 code units (little-endian).
    virtual void writeXml(TStream& stream);

    // Whether nodes of the class hold strings or objects on the heap, so that their document
    // must run their destructor before it drops its pool.
    static constexpr bool kOwnsHeapParts = false;

    // The position in the arrays of named node maps and lists, for the kinds of node those
    // hold; null for the others (an array then finds them by a scan).
    virtual TdomArrayLink* arrayLink() noexcept { return nullptr; }

    const DOMString& localName() const noexcept;
    const DOMString& namespaceURI() const noexcept;
    const DOMString& prefix() const noexcept;
    bool isReadonly() const noexcept { return readonly_; }
    TdomTypeSet allowedChildTypes() const noexcept { return allowedChildTypesOf(nodeType_); }
    // Whether nodes of this one's type can have children (and it derives from TdomParentNode).
    bool isParentType() const noexcept { return allowedChildTypes() != kNoChildTypes; }
    // The parent link itself, without the virtual call (an attribute never has one).
    TdomNode* parent() const noexcept { return parentNode_; }

protected:
    TdomNode(TdomDocument* ownerDocument, const DOMString& name, TdomNodeType type);

    // The owner document, without a virtual call.
    TdomDocument* owner() const noexcept;
    // The owner of a node that is not in a document's pool: the document itself, a document
    // type made on its own; null for others.
    virtual TdomDocument* heapOwner() const noexcept { return nullptr; }

    // ENo_Modification_Allowed_Err when the node is read-only.
    void checkModifiable() const;
    // The namespace-aware constructors' name split and checks; `isAttribute` adds the
    // "xmlns" rules.
    void initQualifiedName(TdomDocument* ownerDocument, const DOMString& namespaceURI,
                           const DOMString& qualifiedName, bool isAttribute);

    // Detaches and frees every child (read-only flags cleared first).
    void freeChildren();
    // Gives the node another name (a new prefix).
    void setNodeName(const DOMString& name);

    // Only nodes made by the namespace-aware factories carry these, in a table of their
    // document; most nodes never do.
    struct TNamespaceParts {
        DOMString localName;
        DOMString namespaceURI;
        DOMString prefix;
    };
    // The parts of this node of `ownerDocument` (passed: a node being made does not know
    // its document yet).
    TNamespaceParts& namespaceParts(TdomDocument* ownerDocument);

    // Names are shared: the owner document keeps one string per distinct name, so that a
    // node costs a pointer for its name. A node made without a document points at its own.
    const DOMString* nodeName_;
    TdomNode* parentNode_ = nullptr;
    TdomNode* nextSibling_ = nullptr;
    // The previous sibling; for a first child, the last child of its parent.
    TdomNode* previousLink_ = nullptr;
    // The small fields share one word; the allowed child types follow from the type.
    TdomNodeType nodeType_;
    bool readonly_ : 1 = false;
    // Written only by the document: whether the block is in its node pool rather than the
    // heap, and whether the node has entries in the document's tables.
    bool pooled_ : 1 = false;
    bool hasNamespaceParts_ : 1 = false;
    bool hasListView_ : 1 = false;
    bool registered_ : 1 = false;  // among the nodes whose destructor the document runs
    // The length of character data; for other kinds of node, the place among the nodes
    // whose destructor the document runs, while registered_.
    std::uint32_t length_ = 0;

private:
    friend class TdomDocument;
    friend class TdomNamedNodeMap;
    friend class TdomEntitiesNamedNodeMap;

    // Links `child` (detached) in before `next`, or at the end when that is null.
    void linkChild(TdomNode* child, TdomNode* next) noexcept;
    void unlinkChild(TdomNode* child) noexcept;
};

// A node that can have children: element, attribute, entity reference, entity, document and
// document fragment.
class TdomParentNode : public TdomNode {
protected:
    using TdomNode::TdomNode;

private:
    friend class TdomNode;
    friend class TdomDocument;
    TdomNode* firstChild_ = nullptr;
};

inline TdomNode* TdomNode::firstChild() const noexcept {
    return isParentType() ? static_cast<const TdomParentNode*>(this)->firstChild_ : nullptr;
}

inline TdomDocument* TdomNode::owner() const noexcept {
    if (pooled_) return static_cast<TdomDocument*>(TdomNodePool::ownerOf(this));
    return heapOwner();
}

inline TdomNode* TdomNode::lastChild() const noexcept {
    TdomNode* first = firstChild();
    return first != nullptr ? first->previousLink_ : nullptr;
}

inline TdomNode* TdomNode::previousSibling() const noexcept {
    if (parentNode_ == nullptr || parentNode_->firstChild() == this) return nullptr;
    return previousLink_;
}

}  // namespace wispel
