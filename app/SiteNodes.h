#pragma once
// The site nodes of the news tree: one under the root for each site an update has reported,
// in the order of the source list, each keeping its items from one update to the next. A
// node knows its site by name and address (a site renamed or moved is another site), and
// each item node keeps the item's title and link as the feed has them.
//
// With kept news a site's items come from the items table: each item node knows its key and
// whether it was read (unread ones are bold), and the site's caption counts its unread items
// ("Name (3)"). A kept item's texts stay in the table, read when they are needed (its node
// shows its title): a start-up that read every link would wait for texts hardly anyone asks
// for, and one that kept every title twice would hold memory for nothing.
//
// What an item node stands for (title, link, key, read) is kept here, one list per site node
// in the order of its items, and not in data roles of the node: a start-up makes a node for
// each of many thousand items, and every role is a value the view's item allocates, copies
// and searches. An item node is found in its site's list by its place under the site, which
// the tree's absolute indexes give at once: item nodes have no children, so the item at
// position i of a site is numbered the site's index plus 1 plus i.

#include <cstdint>
#include <functional>
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

class TSiteNodes {
    // What an item node stands for.
    struct Item {
        std::string title;  // as the feed has it; unkept items only
        std::string link;   // unkept items only
        std::string key;    // kept items only
        bool kept = false;
        bool read = false;
    };
    using Items = std::vector<Item>;

public:
    explicit TSiteNodes(TNewsTree& tree) : tree_(tree) {}

    // A site's kept items made ready for its node one by one as they are read, in the
    // table's order, so that a start-up holds no more of an item than its node and entry.
    class TStoredBatch {
    public:
        TStoredBatch(const TNewsTree& tree, TItemDateText& dates) : nodes_(tree), dates_(&dates) {}
        // Takes the item's key.
        void Add(TStoredItem&& item);
        bool Empty() const noexcept { return entries_.empty(); }

    private:
        friend class TSiteNodes;
        TNewsTree::TMadeNodes nodes_;
        Items entries_;
        int unread_ = 0;
        TItemDateText* dates_;  // not owned
    };
    TStoredBatch StoredBatch(TItemDateText& dates) const { return TStoredBatch(tree_, dates); }

    // The node everything hangs under (owned by the tree view), in a tree emptied before;
    // null until set.
    void SetRoot(QTreeWidgetItem* root) {
        root_ = root;
        items_.clear();
    }

    // The node of the site at `index` of `list`, made in the list's order when it has none.
    QTreeWidgetItem* Node(const TRSSSourceCollection& list, int index);
    // The node of the site at `index` of `list`, made as the last site node: for a tree
    // filled in the list's order, where no site from `index` on has a node yet. Unlike Node
    // it does not look among the sites' nodes, which costs a walk of them per site.
    QTreeWidgetItem* AppendNode(const TRSSSourceCollection& list, int index);
    // True when the site at `index` of `list` has a node.
    bool Shows(const TRSSSourceCollection& list, int index) const;
    // Takes away the nodes of sites no longer in `list`; true when one went.
    bool DropGone(const TRSSSourceCollection& list);

    // Puts `items` in the place of the node's items; returns how many of them it did not
    // show before (by title and link).
    int ShowItems(QTreeWidgetItem* node, const TRSSListedItemCollection& items);
    // Puts the site's kept `items` (in the table's order) in the place of the node's items,
    // with their dates from `dates`, and counts the unread ones in its caption. The items'
    // keys are moved out of `items`.
    void ShowStored(QTreeWidgetItem* node, std::vector<TStoredItem>& items, TItemDateText& dates);
    // Puts the batch's items in the place of the node's items, and counts the unread ones.
    void ShowStored(QTreeWidgetItem* node, TStoredBatch batch);
    // Marks an item node read or unread, in its look and its site's count.
    void SetRead(QTreeWidgetItem* item, bool read);
    // The site node's ID in the sites table (0: none); an item node's key and read flag.
    static std::int32_t SiteID(const QTreeWidgetItem* site);
    static QString SiteName(const QTreeWidgetItem* site);
    std::string Key(const QTreeWidgetItem* item) const;
    // True for an item node (not the root or a site); its title as the feed has it (a kept
    // item's as its node shows it) and, for an item shown unkept, its link.
    bool IsItem(const QTreeWidgetItem* node) const { return item(node) != nullptr; }
    std::string Title(const QTreeWidgetItem* item) const;
    std::string Link(const QTreeWidgetItem* item) const;
    bool IsRead(const QTreeWidgetItem* item) const;
    // True for the node of a kept item (not the root, a site or an item shown unkept).
    bool IsKeptItem(const QTreeWidgetItem* node) const;
    // The item node with `key` under `site`, or null.
    QTreeWidgetItem* FindItem(const QTreeWidgetItem* site, const std::string& key) const;
    static int Unread(const QTreeWidgetItem* site);

    // The node as fetched: no error icon, the feed's own title and the address as its tooltip.
    void MarkRetrieved(QTreeWidgetItem* node, const std::string& feedTitle);
    // The node as fetched unchanged: the same, with the title it had.
    void MarkUnchanged(QTreeWidgetItem* node);
    // The node as failed: `icon`, and the message with the address as its tooltip.
    void MarkFailed(QTreeWidgetItem* node, const QIcon& icon, const std::string& message);

    // The news list of every item node, in tree order, a kept item's title and link from
    // `kept` (given the site's ID and the item's key; null when the table has no such item).
    void FillNewsList(
        TNewsCollection& news,
        const std::function<const TStoredItem*(std::int32_t, const std::string&)>& kept) const;

private:
    void showCount(QTreeWidgetItem* site, int unread);
    QTreeWidgetItem* find(const TRSSSourceCollection& list, int index, int& position) const;
    QTreeWidgetItem* makeNode(const TRSSSourceCollection& list, int index, int position);
    // The node's entry in its site's list; null for the root, a site or a node of none.
    const Item* item(const QTreeWidgetItem* node) const;
    Item* item(const QTreeWidgetItem* node);
    // Makes `nodes`, standing for `items`, the site node's children.
    void showItems(QTreeWidgetItem* site, Items items, TNewsTree::TMadeNodes nodes);

    TNewsTree& tree_;
    QTreeWidgetItem* root_ = nullptr;
    std::unordered_map<const QTreeWidgetItem*, Items> items_;  // by site node
};

}  // namespace wispel
