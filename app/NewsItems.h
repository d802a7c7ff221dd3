#pragma once
// The news list: one entry per item node of the news tree, with the item's link and title
// and the node's absolute index: the tree's news as a list, for whoever reads them in order.
//
// Entries are made in the order of the nodes in the tree, so the tree indexes of the entries
// ascend. The look-up by tree index relies on that and searches by halving instead of
// walking the list.

#include <cstdint>
#include <string>

#include "core/Collection.h"

namespace wispel {

class TNewsItem : public TCollectionItem {
public:
    std::string Link;            // the item's link, 8-bit (UTF-8) text
    std::string Title;           // the item's title
    std::int32_t TreeIndex = 0;  // absolute pre-order index of the item's node
};

class TNewsCollection : public TOwnedCollection<TNewsItem> {
public:
    // The first entry whose TreeIndex is `treeIndex`, or null (the root or a site node).
    TNewsItem* FindByTreeIndex(std::int32_t treeIndex) const;
};

}  // namespace wispel
