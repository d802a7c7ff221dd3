#include "app/SiteNodes.h"

#include <QIcon>
#include <QSet>
#include <QTreeWidgetItem>

#include <utility>

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
    return makeNode(list, index, position);
}

QTreeWidgetItem* TSiteNodes::AppendNode(const TRSSSourceCollection& list, int index) {
    return makeNode(list, index, root_->childCount());
}

QTreeWidgetItem* TSiteNodes::makeNode(const TRSSSourceCollection& list, int index, int position) {
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
        items_.erase(root_->child(i));
        tree_.Remove(root_->child(i));
        dropped = true;
    }
    return dropped;
}

int TSiteNodes::ShowItems(QTreeWidgetItem* node, const TRSSListedItemCollection& items) {
    QSet<QByteArray> shownBefore;
    if (auto before = items_.find(node); before != items_.end()) {
        for (const Item& item : before->second) shownBefore.insert(itemKey(item.title, item.link));
    }
    Items entries;
    entries.reserve(static_cast<size_t>(items.Count()));
    TNewsTree::TMadeNodes nodes(tree_);
    nodes.Reserve(static_cast<size_t>(items.Count()));
    int fresh = 0;
    for (int i = 0; i < items.Count(); ++i) {
        const TRSSListedItem& item = *items[i];
        if (!shownBefore.contains(itemKey(item.Title, item.Link))) ++fresh;
        nodes.Add({fromText(item.Title), itemToolTip(item.Description)});
        entries.push_back({item.Title, item.Link, {}});
    }
    showItems(node, std::move(entries), std::move(nodes));
    return fresh;
}

void TSiteNodes::TStoredBatch::Add(TStoredItem&& item) {
    unread_ += item.Read ? 0 : 1;
    nodes_.Add({fromText(item.Title), itemToolTip(item.Description), dates_->Text(item.Date), !item.Read});
    entries_.push_back({{}, {}, std::move(item.Key), true, item.Read});
}

void TSiteNodes::ShowStored(QTreeWidgetItem* node, std::vector<TStoredItem>& items,
                            TItemDateText& dates) {
    TStoredBatch batch = StoredBatch(dates);
    batch.nodes_.Reserve(items.size());
    batch.entries_.reserve(items.size());
    for (TStoredItem& item : items) batch.Add(std::move(item));
    ShowStored(node, std::move(batch));
}

void TSiteNodes::ShowStored(QTreeWidgetItem* node, TStoredBatch batch) {
    showItems(node, std::move(batch.entries_), std::move(batch.nodes_));
    showCount(node, batch.unread_);
}

void TSiteNodes::showItems(QTreeWidgetItem* site, Items items, TNewsTree::TMadeNodes nodes) {
    items_[site] = std::move(items);
    tree_.ReplaceChildren(site, std::move(nodes));
}

void TSiteNodes::showCount(QTreeWidgetItem* site, int unread) {
    site->setData(0, kUnreadRole, unread);
    const QString name = fromText(text(site, kSiteRole));
    site->setText(0, plainNodeText(unread > 0 ? name + QStringLiteral(" (%1)").arg(unread) : name));
    tree_.SetBold(site, unread > 0);
}

void TSiteNodes::SetRead(QTreeWidgetItem* node, bool read) {
    Item* entry = item(node);
    if (!entry || !entry->kept || entry->read == read) return;
    entry->read = read;
    tree_.SetBold(node, !read);
    QTreeWidgetItem* site = node->parent();
    showCount(site, Unread(site) + (read ? -1 : 1));
}

const TSiteNodes::Item* TSiteNodes::item(const QTreeWidgetItem* node) const {
    const QTreeWidgetItem* site = node ? node->parent() : nullptr;
    if (!site || !site->parent()) return nullptr;
    const auto found = items_.find(site);
    if (found == items_.end()) return nullptr;
    const int position = TNewsTree::AbsoluteIndex(node) - TNewsTree::AbsoluteIndex(site) - 1;
    if (position < 0 || static_cast<std::size_t>(position) >= found->second.size()) return nullptr;
    return &found->second[static_cast<std::size_t>(position)];
}

TSiteNodes::Item* TSiteNodes::item(const QTreeWidgetItem* node) {
    return const_cast<Item*>(std::as_const(*this).item(node));
}

std::int32_t TSiteNodes::SiteID(const QTreeWidgetItem* site) {
    return site ? site->data(0, kSiteIdRole).toInt() : 0;
}

QString TSiteNodes::SiteName(const QTreeWidgetItem* site) {
    return fromText(text(site, kSiteRole));
}

std::string TSiteNodes::Key(const QTreeWidgetItem* node) const {
    const Item* entry = item(node);
    return entry ? entry->key : std::string();
}

std::string TSiteNodes::Title(const QTreeWidgetItem* node) const {
    const Item* entry = item(node);
    if (!entry) return {};
    return entry->kept ? node->text(0).toStdString() : entry->title;
}

std::string TSiteNodes::Link(const QTreeWidgetItem* node) const {
    const Item* entry = item(node);
    return entry ? entry->link : std::string();
}

bool TSiteNodes::IsRead(const QTreeWidgetItem* node) const {
    const Item* entry = item(node);
    return entry && entry->read;
}

bool TSiteNodes::IsKeptItem(const QTreeWidgetItem* node) const {
    const Item* entry = item(node);
    return entry && entry->kept;
}

QTreeWidgetItem* TSiteNodes::FindItem(const QTreeWidgetItem* site, const std::string& key) const {
    const auto found = items_.find(site);
    if (found == items_.end()) return nullptr;
    const Items& items = found->second;
    for (std::size_t i = 0; i < items.size() && i < static_cast<std::size_t>(site->childCount()); ++i) {
        if (items[i].kept && items[i].key == key) return site->child(static_cast<int>(i));
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

void TSiteNodes::FillNewsList(
    TNewsCollection& news,
    const std::function<const TStoredItem*(std::int32_t, const std::string&)>& kept) const {
    news.Clear();
    if (!root_) return;
    for (int s = 0; s < root_->childCount(); ++s) {
        const QTreeWidgetItem* site = root_->child(s);
        const auto found = items_.find(site);
        if (found == items_.end()) continue;
        // The site's first item is numbered right after it, the others after that.
        std::int32_t index = TNewsTree::AbsoluteIndex(site);
        const std::int32_t siteID = SiteID(site);
        for (const Item& item : found->second) {
            TNewsItem* entry = news.Add();
            const TStoredItem* stored = item.kept ? kept(siteID, item.key) : nullptr;
            entry->Title = stored ? stored->Title : item.title;
            entry->Link = stored ? stored->Link : item.link;
            entry->TreeIndex = ++index;
        }
    }
}

}  // namespace wispel
