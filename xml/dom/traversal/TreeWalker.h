#pragma once
// A tree walker presents the subtree below its root as a filtered tree. A node is visible
// when its type is in whatToShow (bit n for type n) and the filter, if any, accepts it; a
// rejected node hides its subtree, a skipped one only itself.
//
// Ownership: made and freed by a document (createTreeWalker / freeTreeWalker). It refers to
// its root, current node and filter without owning them; freeing nodes it refers to leaves
// it with invalid references. No find operation recurses along the tree's depth.

#include "xml/dom/NodeType.h"
#include "xml/dom/traversal/NodeFilter.h"

namespace wispel {

class TdomNode;

class TdomTreeWalker {
public:
    TdomTreeWalker(TdomNode* root, TdomWhatToShow whatToShow, TdomNodeFilter* filter,
                   bool entityReferenceExpansion);
    virtual ~TdomTreeWalker() = default;
    TdomTreeWalker(const TdomTreeWalker&) = delete;
    TdomTreeWalker& operator=(const TdomTreeWalker&) = delete;

    virtual TdomNode* currentNode() const;
    // ENot_Supported_Err for null; any other node becomes current without a check.
    virtual void currentNode(TdomNode* node);
    virtual TdomNode* findNextSibling(TdomNode* node);
    virtual TdomNode* findPreviousSibling(TdomNode* node);
    virtual TdomNode* findParentNode(TdomNode* node);
    virtual TdomNode* findFirstChild(TdomNode* node);
    virtual TdomNode* findLastChild(TdomNode* node);
    virtual TdomNode* findNextNode(TdomNode* node);
    virtual TdomNode* findPreviousNode(TdomNode* node);
    virtual TdomNode* parentNode();
    virtual TdomNode* firstChild();
    virtual TdomNode* lastChild();
    virtual TdomNode* previousSibling();
    virtual TdomNode* nextSibling();
    virtual TdomNode* nextNode();
    virtual TdomNode* previousNode();

    TdomNode* root() const noexcept { return root_; }
    bool expandEntityReferences() const noexcept { return expandEntityReferences_; }
    TdomWhatToShow whatToShow() const noexcept { return whatToShow_; }
    TdomNodeFilter* filter() const noexcept { return filter_; }

protected:
    TdomFilterResult visible(TdomNode* node) const;

private:
    TdomNode* moveTo(TdomNode* target);
    // The first (or last) visible node inside `node`, looking through skipped children.
    TdomNode* findEdgeChild(TdomNode* node, bool first);
    // The next (or previous) visible sibling in the filtered tree.
    TdomNode* findSibling(TdomNode* node, bool next);

    TdomNode* root_;
    TdomNode* currentNode_;
    bool expandEntityReferences_;
    TdomWhatToShow whatToShow_;
    TdomNodeFilter* filter_;
};

// The visibility of one node for a given whatToShow and filter.
TdomFilterResult visibilityOf(TdomNode* node, TdomWhatToShow whatToShow, TdomNodeFilter* filter);

}  // namespace wispel
