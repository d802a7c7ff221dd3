#pragma once
// Parsed items as "title|link|description" lines, for compact expectations.

#include <string>
#include <vector>

#include "feeds/ItemModel.h"

namespace wispel::testing {

using Items = std::vector<std::string>;

inline Items itemsText(TRSSListedItemCollection& items) {
    Items out;
    for (int i = 0; i < items.Count(); ++i) {
        const TRSSListedItem* item = items[i];
        out.push_back(item->Title + "|" + item->Link + "|" + item->Description);
    }
    return out;
}

}  // namespace wispel::testing
