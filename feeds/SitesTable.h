#pragma once
// The sites table "Sites.DAT" as the program uses it: its schema, its creation on a first
// start, and the read of the active sites into a source list, shared by the window program
// and the headless fetch tool so that both read the same sites the same way.

#include <string>

#include "feeds/Sources.h"
#include "feeds/SitesSchema.h"

namespace wispel {

class TStoreTable;

// A row whose Active was never set (written by an older program) counts as active: a site
// the user added is fetched unless turned off.
inline constexpr const char* kActiveSitesFilter = "Active = TRUE OR Active IS NULL";

// Creates an empty sites table in `folder` (ending in "/") unless "Sites.DAT" is there.
// Returns true when it made one. Errors of the table store pass to the caller.
bool CreateSitesTableIfMissing(const std::string& folder);

// Replaces the entries of `list` with the rows of `table` that pass its filter, in table
// order: Site from "Name", URL from "URL", UpdateFrequency from "Update" (0 when unset),
// SiteID from "ID".
// The table is open with its filter set; the new entries are all due.
void LoadActiveSites(TStoreTable& table, TRSSSourceCollection& list);

// The read of the table as it is on disk now: a table of its own on `folder`'s
// "Sites.DAT", opened, its active rows loaded into `list`, and freed again. Returns the
// number of rows, active or not, so that an empty table can be told from one whose sites
// are all turned off.
int ReadActiveSites(const std::string& folder, TRSSSourceCollection& list);

}  // namespace wispel
