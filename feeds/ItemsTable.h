#pragma once
// The news kept between runs: "Items.DAT" in the data folder (feeds/ItemsSchema.h, layout in
// doc/items_table.md), read and changed by the window and by wispel-fetch --sites.
//
//   TItemsTable items(folder);                  // creates the table on first use
//   TMergeCounts counts = items.Merge(siteID, parsedItems);
//   items.ForEachItem([](const TStoredItem& item) { show(item); });
//
// Merging one retrieved feed of a site: an item the site has not had yet is added unread; a
// known one (same identity) keeps its read flag and gets the feed's texts when they changed;
// nothing is ever added twice. Items that left the feed stay until retention takes them:
// read items older than RetentionDays that the feed no longer holds. Unread ones stay.
//
// Two processes: every change runs under the table's write lock, a merge as a whole, so that
// another process reads the table as it was before the merge or after it, never half of it.
// A process killed in a merge leaves the items it had written, each once; the next merge of
// the site brings the rest.
//
// Threads: one object belongs to one thread. Errors of the table store pass to the caller.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "feeds/ItemModel.h"

namespace wispel {

class TStoreTable;

// An instant as the table keeps it: milliseconds since 0001-01-01 00:00 UTC (the table
// store's timestamp form). 0 stands for none.
using TItemTime = double;
TItemTime itemTimeFromUnixMs(std::int64_t unixMs);
std::int64_t unixMsFromItemTime(TItemTime time);
TItemTime itemTimeNow();

constexpr int kDefaultRetentionDays = 30;

// One stored item.
struct TStoredItem {
    std::int32_t ID = 0;
    std::int32_t Site = 0;
    std::string Key;
    std::string Title;
    std::string Link;
    std::string Description;
    std::string Content;  // the item's full text where the feed gave one beside its description
    std::string Author;
    TItemTime Date = 0;  // 0: the feed gave no date that could be read
    TItemTime FirstSeen = 0;
    bool Read = false;
    // The date the item is sorted and aged by: its own, else when it was first seen.
    TItemTime SortTime() const noexcept { return Date != 0 ? Date : FirstSeen; }
};

// What a read of the stored items fills in: the keys, dates and flag only; with the title
// (what a list of headlines shows); with the title, link and author; or everything.
enum class TItemParts { Keys, Titles, Headlines, Whole };

struct TMergeCounts {
    int Added = 0;
    int Changed = 0;
    int Removed = 0;  // by retention
};

class TItemsTable {
public:
    // Opens "Items.DAT" in `folder` (ending in "/"), creating it when it is not there.
    explicit TItemsTable(const std::string& folder);
    ~TItemsTable();
    TItemsTable(const TItemsTable&) = delete;
    TItemsTable& operator=(const TItemsTable&) = delete;

    // Read items older than this many days may go; 0 or less keeps every item.
    int RetentionDays = kDefaultRetentionDays;

    TMergeCounts Merge(std::int32_t site, const TRSSListedItemCollection& items,
                       TItemTime now = itemTimeNow());

    // Every item of every site, by site and then newest first (items without a date of
    // their own after the dated ones); `site` limits it to one site when not 0. Each item is
    // `visit`'s to keep: it may move the texts out.
    void ForEachItem(const std::function<void(TStoredItem&&)>& visit, std::int32_t site = 0,
                     TItemParts parts = TItemParts::Whole);

    // Sets the read flag of one item; false when the site has no item of that key.
    bool SetRead(std::int32_t site, const std::string& key, bool read);
    // The whole item of `site` with `key` into `item`; false when the site has none.
    bool ReadItem(std::int32_t site, const std::string& key, TStoredItem& item);
    // Marks every unread item of a site (0: of every site) as read; returns how many.
    int MarkAllRead(std::int32_t site = 0);
    // Deletes a site's items; returns how many.
    int DeleteSite(std::int32_t site);

    // The table's files checked against each other (one line per problem).
    std::vector<std::string> Check();

    // The fields of an open table, found by name once for a run of rows.
    struct Fields;

private:
    void refresh();
    bool findItem(std::int32_t site, const std::string& key);
    void writeItem(const Fields& fields, const TRSSListedItem& item, const std::string& key,
                   std::int32_t site, TItemTime now);
    bool refreshItem(const Fields& fields, const TRSSListedItem& item);
    // Adds an item the walk over the site's rows did not meet (refreshes it should the index
    // know it after all).
    void addItem(const Fields& fields, std::int32_t site, const TRSSListedItem& item,
                 const std::string& key, TItemTime now, TMergeCounts& counts);
    // Visits the rows of one site (every row when 0) in `table`'s order; `visit` may change
    // the current row but not move.
    static void forEachRow(TStoreTable& table, std::int32_t site,
                           const std::function<void()>& visit);
    // The current row, as far as `parts` asks.
    static TStoredItem currentItem(const Fields& fields, TItemParts parts);
    static void readCurrentItem(const Fields& fields, TItemParts parts, TStoredItem& item);

    // Two cursors on the one table: by (site, key) for finding an item, by (site, date) for
    // a site's items newest first.
    std::unique_ptr<TStoreTable> byKey_;
    std::unique_ptr<TStoreTable> byDate_;
};

// The key an item is stored under: its identity (RSS guid, Atom id, else its link, else a
// hash of its title and description), cut to the key column's room by keeping its start
// and a hash of the whole when longer.
std::string storedItemKey(const TRSSListedItem& item);

// Deletes the items of site `site` from "Items.DAT" in `folder`, when the table is there;
// returns how many. For wherever a site is deleted.
int DeleteSiteItems(const std::string& folder, std::int32_t site);

}  // namespace wispel
