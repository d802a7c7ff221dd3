#include "app/SiteNodes.h"

#include <QIcon>
#include <QSet>
#include <QTreeWidgetItem>

#include "app/ItemDates.h"
#include "app/QtText.h"

namespace wispel {

namespace {

// What the nodes carry besides their text (the tree's own index is Qt::UserRole).
constexpr int kSiteRole = Qt::UserRole + 1;       // site node: the site's name
constexpr int kUrlRole = Qt::UserRole + 2;        // site node: its address
constexpr int kFeedTitleRole = Qt::UserRole + 3;  // site node: the feed's own title
constexpr int kSiteIdRole = Qt::UserRole + 4;     // site node: its row in the sites table
constexpr int kUnreadRole = Qt::UserRole + 5;     // site node: its unread kept items
constexpr int kTitleRole = Qt::UserRole + 1;      // item node: the title, as the feed has it
constexpr int kLinkRole = Qt::UserRole + 2;       // item node: the link
constexpr int kKeyRole = Qt::UserRole + 3;        // item node: the kept item's key
constexpr int kReadRole = Qt::UserRole + 4;       // item node: read (kept items only)

QByteArray bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string text(const QTreeWidgetItem* node, int role) {
    return node->data(0, role).toByteArray().toStdString();
}

// An item's identity among the items a site showed before: its title and link.
QByteArray itemKey(const std::string& title, const std::string& link) {
    return bytes(title) + '\0' + bytes(link);
}

// Where the site of `node` is in `list`; -1 when it is no longer there.
int listIndexOf(const QTreeWidgetItem* node, const TRSSSourceCollection& list) {
    const std::string site = text(node, kSiteRole);
    const std::string url = text(node, kUrlRole);
    for (int i = 0; i < list.Count(); ++i) {
        if (list[i]->Site == site && list[i]->URL == url) return i;
    }
    return -1;
}

}  // namespace

// The node of the site at `index`, or null with `position` where it belongs.
QTreeWidgetItem* TSiteNodes::find(const TRSSSourceCollection& list, int index, int& position) const {
    for (position = 0; position < root_->childCount(); ++position) {
        const int at = listIndexOf(root_->child(position), list);
        if (at == index) return root_->child(position);
        if (at > index) break;
    }
    return nullptr;
}

QTreeWidgetItem* TSiteNodes::Node(const TRSSSourceCollection& list, int index) {
    int position = 0;
    if (QTreeWidgetItem* node = find(list, index, position)) return node;
    const TRSSSourceItem& source = *list[index];
    QTreeWidgetItem* node = tree_.InsertChild(root_, position, fromText(source.Site));
    node->setData(0, kSiteRole, bytes(source.Site));
    node->setData(0, kUrlRole, bytes(source.URL));
    node->setData(0, kSiteIdRole, source.SiteID);
    node->setToolTip(0, siteToolTip({}, source.URL));
    node->setExpanded(true);
    root_->setExpanded(true);
    return node;
}

bool TSiteNodes::Shows(const TRSSSourceCollection& list, int index) const {
    int position = 0;
    return root_ && find(list, index, position);
}

bool TSiteNodes::DropGone(const TRSSSourceCollection& list) {
    if (!root_) return false;
    bool dropped = false;
    for (int i = root_->childCount() - 1; i >= 0; --i) {
        if (listIndexOf(root_->child(i), list) >= 0) continue;
        tree_.Remove(root_->child(i));
        dropped = true;
    }
    return dropped;
}

int TSiteNodes::ShowItems(QTreeWidgetItem* node, const TRSSListedItemCollection& items) {
    QSet<QByteArray> shownBefore;
    for (int i = 0; i < node->childCount(); ++i) {
        shownBefore.insert(itemKey(text(node->child(i), kTitleRole), text(node->child(i), kLinkRole)));
    }
    std::vector<TNewsTree::Node> nodes;
    nodes.reserve(static_cast<size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i) {
        nodes.push_back({fromText(items[i]->Title), itemToolTip(items[i]->Description)});
    }
    tree_.ReplaceChildren(node, nodes, [&items](QTreeWidgetItem* added, std::size_t i) {
        const TRSSListedItem& item = *items[static_cast<int>(i)];
        added->setData(0, kTitleRole, bytes(item.Title));
        added->setData(0, kLinkRole, bytes(item.Link));
    });
    int fresh = 0;
    for (int i = 0; i < items.Count(); ++i) {
        if (!shownBefore.contains(itemKey(items[i]->Title, items[i]->Link))) ++fresh;
    }
    return fresh;
}

void TSiteNodes::ShowStored(QTreeWidgetItem* node, const std::vector<TStoredItem>& items,
                            TItemDateText& dates) {
    std::vector<TNewsTree::Node> nodes;
    nodes.reserve(items.size());
    int unread = 0;
    for (const TStoredItem& item : items) {
        unread += item.Read ? 0 : 1;
        nodes.push_back({fromText(item.Title), itemToolTip(item.Description), dates.Text(item.Date),
                         !item.Read});
    }
    tree_.ReplaceChildren(node, nodes, [&items](QTreeWidgetItem* added, std::size_t i) {
        const TStoredItem& item = items[i];
        added->setData(0, kTitleRole, bytes(item.Title));
        added->setData(0, kLinkRole, bytes(item.Link));
        added->setData(0, kKeyRole, bytes(item.Key));
        added->setData(0, kReadRole, item.Read);
    });
    showCount(node, unread);
}

void TSiteNodes::showCount(QTreeWidgetItem* site, int unread) {
    site->setData(0, kUnreadRole, unread);
    const QString name = fromText(text(site, kSiteRole));
    site->setText(0, plainNodeText(unread > 0 ? name + QStringLiteral(" (%1)").arg(unread) : name));
    tree_.SetBold(site, unread > 0);
}

void TSiteNodes::SetRead(QTreeWidgetItem* item, bool read) {
    if (!IsKeptItem(item) || IsRead(item) == read) return;
    item->setData(0, kReadRole, read);
    tree_.SetBold(item, !read);
    QTreeWidgetItem* site = item->parent();
    showCount(site, Unread(site) + (read ? -1 : 1));
}

std::int32_t TSiteNodes::SiteID(const QTreeWidgetItem* site) {
    return site ? site->data(0, kSiteIdRole).toInt() : 0;
}

QString TSiteNodes::SiteName(const QTreeWidgetItem* site) {
    return fromText(text(site, kSiteRole));
}

std::string TSiteNodes::Key(const QTreeWidgetItem* item) {
    return text(item, kKeyRole);
}

bool TSiteNodes::IsRead(const QTreeWidgetItem* item) {
    return item->data(0, kReadRole).toBool();
}

bool TSiteNodes::IsKeptItem(const QTreeWidgetItem* node) {
    return node && node->parent() && node->parent()->parent() && node->data(0, kReadRole).isValid();
}

QTreeWidgetItem* TSiteNodes::FindItem(const QTreeWidgetItem* site, const std::string& key) {
    const QByteArray wanted = bytes(key);
    for (int i = 0; i < site->childCount(); ++i) {
        if (site->child(i)->data(0, kKeyRole).toByteArray() == wanted) return site->child(i);
    }
    return nullptr;
}

int TSiteNodes::Unread(const QTreeWidgetItem* site) {
    return site->data(0, kUnreadRole).toInt();
}

void TSiteNodes::MarkRetrieved(QTreeWidgetItem* node, const std::string& feedTitle) {
    node->setData(0, kFeedTitleRole, bytes(feedTitle));
    MarkUnchanged(node);
}

void TSiteNodes::MarkUnchanged(QTreeWidgetItem* node) {
    node->setIcon(0, QIcon());
    node->setToolTip(0, siteToolTip(text(node, kFeedTitleRole), text(node, kUrlRole)));
}

void TSiteNodes::MarkFailed(QTreeWidgetItem* node, const QIcon& icon, const std::string& message) {
    node->setIcon(0, icon);
    node->setToolTip(0, failedSiteToolTip(message, text(node, kUrlRole)));
}

namespace {

// The stored items a site node was just made from, when `kept` has them all; else null.
std::vector<TStoredItem>* madeFrom(const QTreeWidgetItem* site, TKeptBySite* kept) {
    if (!kept) return nullptr;
    auto found = kept->find(TSiteNodes::SiteID(site));
    if (found == kept->end() || found->second.size() != static_cast<std::size_t>(site->childCount()))
        return nullptr;
    return &found->second;
}

}  // namespace

void TSiteNodes::FillNewsList(TNewsCollection& news, TKeptBySite* kept) const {
    news.Clear();
    if (!root_) return;
    for (int s = 0; s < root_->childCount(); ++s) {
        const QTreeWidgetItem* site = root_->child(s);
        std::vector<TStoredItem>* stored = madeFrom(site, kept);
        for (int i = 0; i < site->childCount(); ++i) {
            TNewsItem* entry = news.Add();
            if (stored) {
                TStoredItem& item = (*stored)[static_cast<std::size_t>(i)];
                entry->Title = std::move(item.Title);
                entry->Link = std::move(item.Link);
            } else {
                entry->Title = text(site->child(i), kTitleRole);
                entry->Link = text(site->child(i), kLinkRole);
            }
            entry->TreeIndex = TNewsTree::AbsoluteIndex(site->child(i));
        }
        if (stored) kept->erase(SiteID(site));  // its titles are gone: read no node from it twice
    }
}

}  // namespace wispel
