#pragma once
// Node lists: a live view over a node array that it does not own, the live view of a node's
// children, and the element lists that find matching descendants of a start node on every
// call.

#include <cstdint>

#include "core/TextConvert.h"
#include "xml/dom/NodeArray.h"

namespace wispel {

class TdomNode;

class TdomNodeList {
public:
    explicit TdomNodeList(const TdomNodeArray* array) : array_(array) {}
    virtual ~TdomNodeList() = default;
    TdomNodeList(const TdomNodeList&) = delete;
    TdomNodeList& operator=(const TdomNodeList&) = delete;

    virtual int length() const;
    // -1 when the node is not in the list.
    virtual int indexOf(const TdomNode* node) const;
    // Null when index is negative or not below length().
    virtual TdomNode* item(int index) const;

protected:
    const TdomNodeArray* array_;  // not owned; null for the computed lists
};

// The children of a node, found along the sibling links. The list remembers the last
// position it was asked for, and the count, while its document's trees stay unchanged: a
// walk by index costs constant time per step.
class TdomChildNodeList : public TdomNodeList {
public:
    explicit TdomChildNodeList(const TdomNode* parent) : TdomNodeList(nullptr), parent_(parent) {}

    int length() const override;
    int indexOf(const TdomNode* node) const override;
    TdomNode* item(int index) const override;

    // An empty list, for the node kinds that never have children and no document.
    static TdomChildNodeList& none();

private:
    // Forgets what it remembers when the document's trees changed since.
    void refresh() const;

    const TdomNode* parent_;
    mutable std::uint64_t version_ = 0;
    mutable int length_ = -1;
    mutable int cursorIndex_ = -1;
    mutable TdomNode* cursor_ = nullptr;
};

// The elements among the start node's descendants (not the start node itself), in document
// order, whose name equals the query name or all of them for "*". Nothing is cached: every
// call walks the subtree again. The start node must outlive the list (it owns it, or its
// document does).
class TdomElementsNodeList : public TdomNodeList {
public:
    TdomElementsNodeList(const DOMString& queryName, TdomNode* startNode);

    int length() const override;
    int indexOf(const TdomNode* node) const override;
    TdomNode* item(int index) const override;

    const DOMString& queryName() const noexcept { return queryName_; }
    TdomNode* startNode() const noexcept { return startNode_; }

protected:
    virtual bool matches(const TdomNode* element) const;
    // Visits the matching descendants in order until `visit` returns false.
    template <class Visit>
    void forEachMatch(Visit visit) const;

private:
    DOMString queryName_;
    TdomNode* startNode_;
};

// The same keyed by namespace URI and local name ("*" matches every value of either).
class TdomElementsNodeListNS : public TdomElementsNodeList {
public:
    TdomElementsNodeListNS(const DOMString& queryNamespaceURI, const DOMString& queryLocalName,
                           TdomNode* startNode);

    const DOMString& queryNamespaceURI() const noexcept { return queryNamespaceURI_; }
    const DOMString& queryLocalName() const noexcept { return queryLocalName_; }

protected:
    bool matches(const TdomNode* element) const override;

private:
    DOMString queryNamespaceURI_;
    DOMString queryLocalName_;
};

}  // namespace wispel
