#pragma once
// The program's second table, "Items.DAT": the news kept between runs, one row per item of a
// site, beside "Sites.DAT" in the data folder. Its layout is described in doc/items_table.md.

#include <cstdint>

#include "tablestore/component/StoreFieldDef.h"
#include "tablestore/component/StoreIndexDef.h"

namespace wispel {

constexpr const char* kItemsTableName = "Items.DAT";
// Room of the identity key; a longer identity is kept as its start and a hash of the whole.
constexpr int kItemKeyWidth = 250;
constexpr int kItemAuthorWidth = 120;
// Blocks of the blob file: most titles and links fit one with room to spare, so that the
// titles of every item, read for the window's start-up, lie closer together than in blocks
// of the usual 512 bytes, with less of the other values between them.
constexpr std::uint32_t kItemsBlobBlockSize = 256;
// The unique index that finds an item of a site by its identity, and the one that lists a
// site's items newest first.
constexpr const char* kItemsBySiteKey = "SiteKey";
constexpr const char* kItemsBySiteDate = "SiteDate";

// ID (auto-increment), Site (the site's ID in the sites table), ItemKey (identity), Title,
// Link, Description, Content (memos: kept whole; Content empty unless the feed gave a full
// text beside the description), Author, Date (the item's own date, UTC; none when
// the feed gave none that could be read), FirstSeen (UTC), Read (Boolean).
inline void addItemsFieldDefs(TStoreFieldDefs& defs) {
    defs.Clear();
    defs.Add("ID", TStoreFieldType::ftAutoInc);
    defs.Add("Site", TStoreFieldType::ftInteger, 0, true);
    defs.Add("ItemKey", TStoreFieldType::ftString, kItemKeyWidth, true);
    defs.Add("Title", TStoreFieldType::ftMemo);
    defs.Add("Link", TStoreFieldType::ftMemo);
    defs.Add("Description", TStoreFieldType::ftMemo);
    defs.Add("Content", TStoreFieldType::ftMemo);
    defs.Add("Author", TStoreFieldType::ftString, kItemAuthorWidth);
    defs.Add("Date", TStoreFieldType::ftDateTime);
    defs.Add("FirstSeen", TStoreFieldType::ftDateTime);
    defs.Add("Read", TStoreFieldType::ftBoolean);
}

inline void addItemsIndexDefs(TStoreIndexDefs& defs) {
    defs.Clear();
    defs.Add(kItemsBySiteKey, "Site;ItemKey", TStoreIndexOptions{.ixUnique = true});
    // Newest first; items without a date of their own by when they were first seen, and
    // those of one merge in the feed's order (record IDs ascend).
    defs.Add(kItemsBySiteDate, "Site;Date;FirstSeen", TStoreIndexOptions{}, "Date;FirstSeen");
}

}  // namespace wispel
