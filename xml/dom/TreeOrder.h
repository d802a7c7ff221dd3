#pragma once
// Document-order steps inside a subtree, for the loops that replace recursion along the
// tree's depth.

namespace wispel {

class TdomNode;

// The node after `node` in document order without leaving `root`'s subtree (null at its
// end). With `descend` false the children of `node` are passed over.
TdomNode* nextInSubtree(const TdomNode* root, TdomNode* node, bool descend = true);

}  // namespace wispel
