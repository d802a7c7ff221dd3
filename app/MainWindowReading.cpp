// The main window's kept news: the tree filled from the items table, a retrieved feed
// merged into it, and the read flags the reader sets.

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStatusBar>
#include <QTreeWidget>

#include <unordered_map>

#include "app/Application.h"
#include "app/ItemDates.h"
#include "app/MainWindow.h"
#include "app/ReadingPane.h"
#include "core/ErrorText.h"
#include "ui_MainWindow.h"

namespace wispel {

void TfrmMain::connectReading() {
    const std::pair<QAction*, void (TfrmMain::*)()> commands[] = {
        {ui->actNextUnread, &TfrmMain::NextUnreadClick},
        {ui->actMarkRead, &TfrmMain::MarkReadClick},
        {ui->actMarkUnread, &TfrmMain::MarkUnreadClick},
        {ui->actMarkSiteRead, &TfrmMain::MarkSiteReadClick},
        {ui->actMarkAllRead, &TfrmMain::MarkAllReadClick}};
    for (const auto& [action, handler] : commands) {
        connect(action, &QAction::triggered, this, [this, handler] { runHandler([this, handler] { (this->*handler)(); }); });
        ui->tvList->addAction(action);
    }
    ui->actNextUnread->setShortcuts({QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_N)});
    ui->tvList->setContextMenuPolicy(Qt::ActionsContextMenu);

    readTimer_.setSingleShot(true);
    connect(&readTimer_, &QTimer::timeout, this, [this] {
        runHandler([this] { setRead(ui->tvList->currentItem(), true); });
    });
    connect(ui->tvList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { currentNodeChanged(current); });
    connect(ui->txtItem, &TReadingPane::LinkNotOpened, this,
            [this](const QString& message) { statusBar()->showMessage(message); });

    // The title takes what the date leaves.
    QHeaderView* header = ui->tvList->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Interactive);
    QFont bold = ui->tvList->font();  // unread dates are bold, and wider
    bold.setBold(true);
    header->resizeSection(1, QFontMetrics(bold).horizontalAdvance(TItemDateText().Widest() + "MM"));
}

// --- Filling the tree.

void TfrmMain::showKeptNews() {
    const TRSSSourceCollection& list = update_->Sources().RSSSourceList();
    TItemDateText dates;
    // The listed sites' items by site ID, made ready for their nodes as they are read (the
    // table gives them by site); the nodes are made in the list's order afterwards, in a
    // tree that has none yet.
    std::unordered_map<std::int32_t, TSiteNodes::TStoredBatch> bySite;
    for (int i = 0; i < list.Count(); ++i) {
        if (list[i]->SiteID != 0) bySite.try_emplace(list[i]->SiteID, siteNodes_.StoredBatch(dates));
    }
    TSiteNodes::TStoredBatch* batch = nullptr;  // the batch of the site of the last item read
    std::int32_t batchSite = 0;
    // Titles only: descriptions (for tooltips) and links (for opening) are read when needed.
    items_->ForEachItem(
        [&](TStoredItem&& item) {
            if (item.Site != batchSite) {
                batchSite = item.Site;
                const auto found = bySite.find(item.Site);
                batch = found != bySite.end() ? &found->second : nullptr;
            }
            if (batch) batch->Add(std::move(item));
        },
        0, TItemParts::Titles);
    for (int i = 0; i < list.Count(); ++i) {
        auto found = bySite.find(list[i]->SiteID);
        if (found == bySite.end() || found->second.Empty()) continue;
        siteNodes_.ShowStored(siteNodes_.AppendNode(list, i), std::move(found->second));
    }
    newsStale_ = true;
}

std::vector<TStoredItem> TfrmMain::keptItems(std::int32_t site) {
    std::vector<TStoredItem> kept;
    items_->ForEachItem([&](TStoredItem&& item) { kept.push_back(std::move(item)); }, site);
    return kept;
}

bool TfrmMain::keepRetrieved(const TUpdateSite& site, const TRSSListedItemCollection& items,
                             QTreeWidgetItem* node, std::string& error) {
    std::vector<TStoredItem> kept;
    try {
        progress_.newItems += items_->Merge(site.SiteID, items).Added;
        kept = keptItems(site.SiteID);
    } catch (const std::exception& e) {
        error = errorBoxText(e);
        return false;
    }
    showSiteNews(node, kept);
    return true;
}

void TfrmMain::showKeptSiteNews(const TUpdateSite& site, QTreeWidgetItem* node) {
    if (!items_ || site.SiteID == 0) return;
    std::vector<TStoredItem> kept;
    try {
        kept = keptItems(site.SiteID);
    } catch (const std::exception&) {
        return;  // the node keeps what it showed; the next update tries again
    }
    showSiteNews(node, kept);
}

void TfrmMain::showSiteNews(QTreeWidgetItem* node, std::vector<TStoredItem>& items) {
    QTreeWidgetItem* current = ui->tvList->currentItem();
    const bool within = current && current->parent() == node;
    const std::string selectedKey = within ? siteNodes_.Key(current) : std::string();
    TItemDateText dates;
    siteNodes_.ShowStored(node, items, dates);
    newsStale_ = true;
    if (!within) return;
    // The reader stays where they were; the item's read timer goes on as it was.
    const QSignalBlocker quiet(ui->tvList);
    QTreeWidgetItem* again = siteNodes_.FindItem(node, selectedKey);
    ui->tvList->setCurrentItem(again ? again : node);
}

// --- Read and unread.

void TfrmMain::currentNodeChanged(QTreeWidgetItem* current) {
    readTimer_.stop();
    runHandler([this, current] { showInPane(current); });
    if (siteNodes_.IsKeptItem(current) && !siteNodes_.IsRead(current)) readTimer_.start(ReadDelay);
}

void TfrmMain::showInPane(QTreeWidgetItem* node) {
    TStoredItem item;
    if (siteNodes_.IsKeptItem(node) && items_ &&
        items_->ReadItem(TSiteNodes::SiteID(node->parent()), siteNodes_.Key(node), item)) {
        return ui->txtItem->ShowItem(item, TSiteNodes::SiteName(node->parent()));
    }
    if (!siteNodes_.IsItem(node)) return ui->txtItem->ShowNothing();  // the root or a site
    ui->txtItem->ShowHeadline(siteNodes_.Title(node), siteNodes_.Link(node),
                              TSiteNodes::SiteName(node->parent()));
}

std::string TfrmMain::itemLink(const QTreeWidgetItem* node) {
    TStoredItem item;
    if (siteNodes_.IsKeptItem(node) && items_ &&
        items_->ReadItem(TSiteNodes::SiteID(node->parent()), siteNodes_.Key(node), item)) {
        return item.Link;
    }
    return siteNodes_.Link(node);
}

void TfrmMain::fetchToolTip(QTreeWidgetItem* node) {
    if (!items_ || !siteNodes_.IsKeptItem(node) || !node->toolTip(0).isEmpty()) return;
    TStoredItem item;
    if (items_->ReadItem(TSiteNodes::SiteID(node->parent()), siteNodes_.Key(node), item))
        node->setToolTip(0, itemToolTip(item.Description));
}

void TfrmMain::setRead(QTreeWidgetItem* item, bool read) {
    if (!items_ || !siteNodes_.IsKeptItem(item) || siteNodes_.IsRead(item) == read) return;
    items_->SetRead(TSiteNodes::SiteID(item->parent()), siteNodes_.Key(item), read);
    siteNodes_.SetRead(item, read);
}

void TfrmMain::markSiteRead(QTreeWidgetItem* site) {
    const std::int32_t id = TSiteNodes::SiteID(site);
    if (!items_ || id == 0) return;
    items_->MarkAllRead(id);
    for (int i = 0; i < site->childCount(); ++i) siteNodes_.SetRead(site->child(i), true);
}

void TfrmMain::MarkReadClick() {
    readTimer_.stop();
    setRead(ui->tvList->currentItem(), true);
}

void TfrmMain::MarkUnreadClick() {
    readTimer_.stop();  // or the moment's selection would read it again
    setRead(ui->tvList->currentItem(), false);
}

void TfrmMain::MarkSiteReadClick() {
    QTreeWidgetItem* node = ui->tvList->currentItem();
    if (siteNodes_.IsKeptItem(node)) node = node->parent();
    if (node && node->parent() == rootNode_) markSiteRead(node);
}

void TfrmMain::MarkAllReadClick() {
    if (!rootNode_) return;
    for (int i = 0; i < rootNode_->childCount(); ++i) markSiteRead(rootNode_->child(i));
}

void TfrmMain::NextUnreadClick() {
    if (!rootNode_) return;
    // The item nodes in tree order, as (site, item) positions.
    std::vector<QTreeWidgetItem*> order;
    int start = 0;
    QTreeWidgetItem* current = ui->tvList->currentItem();
    for (int s = 0; s < rootNode_->childCount(); ++s) {
        QTreeWidgetItem* site = rootNode_->child(s);
        if (site == current) start = static_cast<int>(order.size());
        for (int i = 0; i < site->childCount(); ++i) {
            order.push_back(site->child(i));
            if (site->child(i) == current) start = static_cast<int>(order.size());
        }
    }
    const int count = static_cast<int>(order.size());
    for (int step = 0; step < count; ++step) {
        QTreeWidgetItem* node = order[static_cast<size_t>((start + step) % count)];
        if (!siteNodes_.IsKeptItem(node) || siteNodes_.IsRead(node)) continue;
        node->parent()->setExpanded(true);
        ui->tvList->setCurrentItem(node);
        ui->tvList->scrollToItem(node);
        return;
    }
    statusBar()->showMessage(tr("No unread news"));
}

}  // namespace wispel
