#pragma once
// The site nodes of the news tree: one under the root for each site an update has reported,
// in the order of the source list, each keeping its items from one update to the next. A
// node knows its site by name and address (a site renamed or moved is another site), and
// each item node keeps the item's title and link as the feed has them.
//
// With kept news a site's items come from the items table: each item node knows its key and
// whether it was read (unread ones are bold), and the site's caption counts its unread items
// ("Name (3)").

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/NewsItems.h"
#include "app/NewsTree.h"
#include "feeds/ItemModel.h"
#include "feeds/ItemsTable.h"
#include "feeds/Sources.h"

class QIcon;
class QTreeWidgetItem;

namespace wispel {

class TItemDateText;

// Stored items by site ID, each site's in the table's order.
using TKeptBySite = std::unordered_map<std::int32_t, std::vector<TStoredItem>>;

class TSiteNodes {
public:
    explicit TSiteNodes(TNewsTree& tree) : tree_(tree) {}

    // The node everything hangs under (owned by the tree view); null until set.
    void SetRoot(QTreeWidgetItem* root) noexcept { root_ = root; }

    // The node of the site at `index` of `list`, made in the list's order when it has none.
    QTreeWidgetItem* Node(const TRSSSourceCollection& list, int index);
    // True when the site at `index` of `list` has a node.
    bool Shows(const TRSSSourceCollection& list, int index) const;
    // Takes away the nodes of sites no longer in `list`; true when one went.
    bool DropGone(const TRSSSourceCollection& list);

    // Puts `items` in the place of the node's items; returns how many of them it did not
    // show before (by title and link).
    int ShowItems(QTreeWidgetItem* node, const TRSSListedItemCollection& items);
    // Puts the site's kept `items` (in the table's order) in the place of the node's items,
    // with their dates from `dates`, and counts the unread ones in its caption.
    void ShowStored(QTreeWidgetItem* node, const std::vector<TStoredItem>& items,
                    TItemDateText& dates);
    // Marks an item node read or unread, in its look and its site's count.
    void SetRead(QTreeWidgetItem* item, bool read);
    // The site node's ID in the sites table (0: none); an item node's key and read flag.
    static std::int32_t SiteID(const QTreeWidgetItem* site);
    static QString SiteName(const QTreeWidgetItem* site);
    static std::string Key(const QTreeWidgetItem* item);
    static bool IsRead(const QTreeWidgetItem* item);
    // True for the node of a kept item (not the root, a site or an item shown unkept).
    static bool IsKeptItem(const QTreeWidgetItem* node);
    // The item node with `key` under `site`, or null.
    static QTreeWidgetItem* FindItem(const QTreeWidgetItem* site, const std::string& key);
    static int Unread(const QTreeWidgetItem* site);

    // The node as fetched: no error icon, the feed's own title and the address as its tooltip.
    void MarkRetrieved(QTreeWidgetItem* node, const std::string& feedTitle);
    // The node as fetched unchanged: the same, with the title it had.
    void MarkUnchanged(QTreeWidgetItem* node);
    // The node as failed: `icon`, and the message with the address as its tooltip.
    void MarkFailed(QTreeWidgetItem* node, const QIcon& icon, const std::string& message);

    // The news list of every item node, in tree order. The titles and links of a site whose
    // nodes were just made from its items in `kept` are moved out of it rather than read
    // back from the nodes.
    void FillNewsList(TNewsCollection& news, TKeptBySite* kept = nullptr) const;

private:
    void showCount(QTreeWidgetItem* site, int unread);
    QTreeWidgetItem* find(const TRSSSourceCollection& list, int index, int& position) const;

    TNewsTree& tree_;
    QTreeWidgetItem* root_ = nullptr;
};

}  // namespace wispel
