#pragma once
// A node iterator: a flat view of the subtree below its root in document order, with the
// same filtering as a tree walker. It stands before or after its reference node. The
// document tells it of every removal so that its reference node moves off a removed
// subtree.
//
// Ownership: made by a document (createNodeIterator), freed by it (clearInvalidNodeIterators
// after detach, or when the document is cleared). It does not own root or filter.

#include <cstdint>

#include "xml/dom/NodeType.h"
#include "xml/dom/traversal/NodeFilter.h"

namespace wispel {

class TdomNode;

class TdomNodeIterator {
public:
    TdomNodeIterator(TdomNode* root, TdomWhatToShow whatToShow, TdomNodeFilter* filter,
                     bool entityReferenceExpansion);
    virtual ~TdomNodeIterator() = default;
    TdomNodeIterator(const TdomNodeIterator&) = delete;
    TdomNodeIterator& operator=(const TdomNodeIterator&) = delete;

    // Called before `node` leaves its parent.
    virtual void referenceNodeRemoved(TdomNode* node);
    virtual TdomNode* findNextInDocumentOrder(TdomNode* node) const;
    virtual TdomNode* findPreviousInDocumentOrder(TdomNode* node) const;
    virtual void detach();
    // EInvalid_State_Err after detach.
    virtual TdomNode* nextNode();
    virtual TdomNode* previousNode();

    TdomNode* root() const noexcept { return root_; }
    TdomNode* referenceNode() const noexcept { return referenceNode_; }
    // 0: the iterator stands before the reference node, 1: after it.
    std::uint8_t position() const noexcept { return position_; }
    TdomWhatToShow whatToShow() const noexcept { return whatToShow_; }
    bool expandEntityReferences() const noexcept { return expandEntityReferences_; }
    TdomNodeFilter* filter() const noexcept { return filter_; }
    bool invalid() const noexcept { return invalid_; }

private:
    TdomNode* step(bool forward);
    // Ends the iteration at the edge of root's subtree.
    TdomNode* keepInsideRoot(TdomNode* candidate) const;

    TdomNode* root_;
    TdomNode* referenceNode_;
    std::uint8_t position_ = 0;
    TdomWhatToShow whatToShow_;
    bool expandEntityReferences_;
    TdomNodeFilter* filter_;
    bool invalid_ = false;
};

// True when `node` is `ancestor` or lies inside it.
bool isInclusiveDescendant(const TdomNode* node, const TdomNode* ancestor);

}  // namespace wispel
