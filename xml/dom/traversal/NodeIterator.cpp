#include "xml/dom/traversal/NodeIterator.h"

#include "xml/errors/DomException.h"
#include "xml/dom/Node.h"
#include "xml/dom/traversal/TreeWalker.h"

namespace wispel {

bool isInclusiveDescendant(const TdomNode* node, const TdomNode* ancestor) {
    for (; node != nullptr; node = node->parentNode()) {
        if (node == ancestor) return true;
    }
    return false;
}

TdomNodeIterator::TdomNodeIterator(TdomNode* root, TdomWhatToShow whatToShow,
                                   TdomNodeFilter* filter, bool entityReferenceExpansion)
    : root_(root),
      referenceNode_(root),
      whatToShow_(whatToShow),
      expandEntityReferences_(entityReferenceExpansion),
      filter_(filter) {
    if (root == nullptr) throw ENot_Supported_Err();
}

TdomNode* TdomNodeIterator::findNextInDocumentOrder(TdomNode* node) const {
    if (node->hasChildNodes() &&
        (expandEntityReferences_ || node->nodeType() != ENTITY_REFERENCE_NODE))
        return node->firstChild();
    for (; node != nullptr; node = node->parentNode()) {
        if (TdomNode* sibling = node->nextSibling()) return sibling;
    }
    return nullptr;
}

TdomNode* TdomNodeIterator::findPreviousInDocumentOrder(TdomNode* node) const {
    TdomNode* sibling = node->previousSibling();
    if (sibling == nullptr) return node->parentNode();
    // Backwards as forwards: the content of an entity reference is passed over unless the
    // iterator expands references.
    while (expandEntityReferences_ || sibling->nodeType() != ENTITY_REFERENCE_NODE) {
        TdomNode* last = sibling->lastChild();
        if (last == nullptr) break;
        sibling = last;
    }
    return sibling;
}

TdomNode* TdomNodeIterator::keepInsideRoot(TdomNode* candidate) const {
    if (candidate != nullptr && !isInclusiveDescendant(candidate, root_) &&
        isInclusiveDescendant(referenceNode_, root_))
        return nullptr;
    return candidate;
}

void TdomNodeIterator::detach() {
    referenceNode_ = nullptr;
    invalid_ = true;
}

// One step in either direction: turning around first takes the reference node itself.
TdomNode* TdomNodeIterator::step(bool forward) {
    if (invalid_) throw EInvalid_State_Err();
    auto advance = [this, forward](TdomNode* n) {
        return forward ? findNextInDocumentOrder(n) : findPreviousInDocumentOrder(n);
    };
    const std::uint8_t turned = forward ? 1 : 0;
    TdomNode* candidate;
    if (position_ != turned) {
        position_ = turned;
        candidate = referenceNode_;
    } else {
        candidate = advance(referenceNode_);
    }
    while (candidate != nullptr && visibilityOf(candidate, whatToShow_, filter_) != FILTER_ACCEPT)
        candidate = advance(candidate);
    candidate = keepInsideRoot(candidate);
    if (candidate != nullptr) referenceNode_ = candidate;
    return candidate;
}

TdomNode* TdomNodeIterator::nextNode() {
    return step(true);
}
TdomNode* TdomNodeIterator::previousNode() {
    return step(false);
}

// The iterator keeps its place the way DOM traversal does: standing before the reference,
// it moves to the first node after the removed subtree (or, at the very end, after the node
// before it); standing after the reference, it moves after the node before the removed one.
void TdomNodeIterator::referenceNodeRemoved(TdomNode* node) {
    if (position_ == 0) {
        for (TdomNode* n = node; n != nullptr && n != root_; n = n->parentNode()) {
            if (TdomNode* following = n->nextSibling()) {
                referenceNode_ = following;
                return;
            }
        }
    }
    referenceNode_ = findPreviousInDocumentOrder(node);
    position_ = 1;
}

}  // namespace wispel
