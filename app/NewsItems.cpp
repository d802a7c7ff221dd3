#include "app/NewsItems.h"

namespace wispel {

TNewsItem* TNewsCollection::FindByTreeIndex(std::int32_t treeIndex) const {
    int low = 0;
    int high = Count();  // the first entry with an index >= treeIndex lies in [low, high]
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (Items(middle)->TreeIndex < treeIndex) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low < Count() && Items(low)->TreeIndex == treeIndex) return Items(low);
    return nullptr;
}

}  // namespace wispel
