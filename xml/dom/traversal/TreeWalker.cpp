#include "xml/dom/traversal/TreeWalker.h"

#include "xml/errors/DomException.h"
#include "xml/dom/Node.h"

// The find operations are loops that visit nodes (and call the filter) in exactly the order
// of their natural recursive form: a skipped node's children are searched before its
// siblings, and an invisible parent is passed over like a skipped one.

namespace wispel {

TdomFilterResult visibilityOf(TdomNode* node, TdomWhatToShow whatToShow, TdomNodeFilter* filter) {
    if (!typeInSet(whatToShow, node->nodeType())) return FILTER_SKIP;
    if (filter == nullptr) return FILTER_ACCEPT;
    return filter->acceptNode(node);
}

TdomTreeWalker::TdomTreeWalker(TdomNode* root, TdomWhatToShow whatToShow, TdomNodeFilter* filter,
                               bool entityReferenceExpansion)
    : root_(root),
      currentNode_(root),
      expandEntityReferences_(entityReferenceExpansion),
      whatToShow_(whatToShow),
      filter_(filter) {
    if (root == nullptr) throw ENot_Supported_Err();
}

TdomFilterResult TdomTreeWalker::visible(TdomNode* node) const {
    return visibilityOf(node, whatToShow_, filter_);
}

TdomNode* TdomTreeWalker::currentNode() const {
    return currentNode_;
}

void TdomTreeWalker::currentNode(TdomNode* node) {
    if (node == nullptr) throw ENot_Supported_Err();
    currentNode_ = node;
}

TdomNode* TdomTreeWalker::findParentNode(TdomNode* node) {
    while (node != root_) {
        TdomNode* parent = node->parentNode();
        if (parent == nullptr) return nullptr;
        if (visible(parent) == FILTER_ACCEPT) return parent;
        node = parent;
    }
    return nullptr;
}

TdomNode* TdomTreeWalker::findEdgeChild(TdomNode* node, bool first) {
    auto edge = [first](TdomNode* n) { return first ? n->firstChild() : n->lastChild(); };
    auto step = [first](TdomNode* n) { return first ? n->nextSibling() : n->previousSibling(); };
    auto closed = [this](TdomNode* n) {
        return n->nodeType() == ENTITY_REFERENCE_NODE && !expandEntityReferences_;
    };
    if (closed(node)) return nullptr;
    TdomNode* parent = node;  // whose children are being searched
    TdomNode* child = edge(node);
    while (true) {
        if (child == nullptr) {
            // A skipped node held nothing visible: go on after it.
            if (parent == node) return nullptr;
            child = step(parent);
            parent = parent->parentNode();
            continue;
        }
        TdomFilterResult result = visible(child);
        if (result == FILTER_ACCEPT) return child;
        if (result == FILTER_SKIP && !closed(child) && edge(child) != nullptr) {
            parent = child;
            child = edge(child);
        } else {
            child = step(child);
        }
    }
}

TdomNode* TdomTreeWalker::findFirstChild(TdomNode* node) {
    return findEdgeChild(node, true);
}
TdomNode* TdomTreeWalker::findLastChild(TdomNode* node) {
    return findEdgeChild(node, false);
}

TdomNode* TdomTreeWalker::findSibling(TdomNode* node, bool next) {
    while (node != root_) {
        TdomNode* sibling = next ? node->nextSibling() : node->previousSibling();
        if (sibling == nullptr) {
            // The walk does not leave a visible parent.
            TdomNode* parent = node->parentNode();
            if (parent == nullptr || visible(parent) == FILTER_ACCEPT) return nullptr;
            node = parent;
            continue;
        }
        TdomFilterResult result = visible(sibling);
        if (result == FILTER_ACCEPT) return sibling;
        if (result == FILTER_SKIP) {
            if (TdomNode* inside = findEdgeChild(sibling, next)) return inside;
        }
        node = sibling;
    }
    return nullptr;
}

TdomNode* TdomTreeWalker::findNextSibling(TdomNode* node) {
    return findSibling(node, true);
}
TdomNode* TdomTreeWalker::findPreviousSibling(TdomNode* node) {
    return findSibling(node, false);
}

TdomNode* TdomTreeWalker::findNextNode(TdomNode* node) {
    TdomNode* found = findFirstChild(node);
    if (node == root_) return found;
    if (found == nullptr) found = findNextSibling(node);
    while (found == nullptr) {
        node = findParentNode(node);
        if (node == nullptr) return nullptr;
        found = findNextSibling(node);
    }
    return found;
}

TdomNode* TdomTreeWalker::findPreviousNode(TdomNode* node) {
    if (node == root_) return nullptr;
    TdomNode* sibling = findPreviousSibling(node);
    if (sibling == nullptr) return findParentNode(node);
    while (TdomNode* last = findLastChild(sibling)) sibling = last;
    return sibling;
}

TdomNode* TdomTreeWalker::moveTo(TdomNode* target) {
    if (target != nullptr) currentNode_ = target;
    return target;
}

TdomNode* TdomTreeWalker::parentNode() {
    return moveTo(findParentNode(currentNode_));
}
TdomNode* TdomTreeWalker::firstChild() {
    return moveTo(findFirstChild(currentNode_));
}
TdomNode* TdomTreeWalker::lastChild() {
    return moveTo(findLastChild(currentNode_));
}
TdomNode* TdomTreeWalker::previousSibling() {
    return moveTo(findPreviousSibling(currentNode_));
}
TdomNode* TdomTreeWalker::nextSibling() {
    return moveTo(findNextSibling(currentNode_));
}
TdomNode* TdomTreeWalker::nextNode() {
    return moveTo(findNextNode(currentNode_));
}
TdomNode* TdomTreeWalker::previousNode() {
    return moveTo(findPreviousNode(currentNode_));
}

}  // namespace wispel
