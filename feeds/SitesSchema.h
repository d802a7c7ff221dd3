#pragma once
// The program's one table, "Sites.DAT": its name and field definitions, shared by the
// window program (which creates the table at its first start) and the tools. The rules its
// values follow are in feeds/SiteValues.h.

#include "tablestore/component/StoreFieldDef.h"

namespace wispel {

constexpr const char* kSitesTableName = "Sites.DAT";
// The room of the text columns, in bytes.
constexpr int kSiteNameWidth = 10;
constexpr int kSiteURLWidth = 250;

// ID (auto-increment), Name (text of 10), URL (text of 250), Update (integer, minutes),
// Active (Boolean), in this order.
inline void addSitesFieldDefs(TStoreFieldDefs& defs) {
    defs.Clear();
    defs.Add("ID", TStoreFieldType::ftAutoInc);
    defs.Add("Name", TStoreFieldType::ftString, kSiteNameWidth);
    defs.Add("URL", TStoreFieldType::ftString, kSiteURLWidth);
    defs.Add("Update", TStoreFieldType::ftInteger);
    defs.Add("Active", TStoreFieldType::ftBoolean);
}

}  // namespace wispel
