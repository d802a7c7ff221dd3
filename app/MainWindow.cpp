#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaObject>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

#include <unordered_map>
#include <utility>

#include "app/AboutDialog.h"
#include "app/Application.h"
#include "app/QtText.h"
#include "app/SitesDialog.h"
#include "app/UrlOpener.h"
#include "feeds/SitesTable.h"
#include "feeds/Sources.h"
#include "ui_MainWindow.h"

namespace wispel {

namespace {

// How often the window looks for sites whose interval has passed (milliseconds); intervals
// are whole minutes.
constexpr int kAutoUpdateCheck = 30 * 1000;

// The status bar's counts after `sites`: "3 sites, 12 new items, 1 failed".
QString countsText(const QString& sites, int newItems, int failed) {
    QString text = sites + (newItems == 1 ? TfrmMain::tr(", 1 new item")
                                          : TfrmMain::tr(", %1 new items").arg(newItems));
    if (failed > 0) text += TfrmMain::tr(", %1 failed").arg(failed);
    return text;
}

}  // namespace

TfrmMain::TfrmMain(std::string dataFolder, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TfrmMain>()),
      dataFolder_(std::move(dataFolder)),
      update_(std::make_unique<TFeedUpdate>(static_cast<TUpdateView&>(*this))) {
    ui->setupUi(this);
    tree_ = TNewsTree(ui->tvList);
    AddDesignTimeSource(update_->Sources().RSSSourceList());
    update_->Validators = &validators_;
    // A worker says a result is ready; the window takes it on its own thread. The window
    // stops the update before it goes, so no call comes after.
    update_->OnResultReady = [this] {
        QMetaObject::invokeMethod(this, [this] { update_->Deliver(); }, Qt::QueuedConnection);
    };
    nameToolButtons();
    // F5 is the key a person tries first; Ctrl+R is what other readers take.
    ui->actUpdate->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
    // The window itself carries every command, so that each shortcut works wherever its
    // action is shown (an item of a closed menu alone would not take its key).
    addActions({ui->actUpdate, ui->actStop, ui->actConfig, ui->actExit, ui->About1,
                ui->actNextUnread, ui->actMarkRead, ui->actMarkUnread, ui->actMarkSiteRead,
                ui->actMarkAllRead});
    makePlaceholder();
    connectCommands();
    connectReading();
    connectFiles();
    restoreLayout();
    ui->tvList->installEventFilter(this);
    ui->tvList->viewport()->installEventFilter(this);
    runHandler([this] { FormCreate(); });
    // The news list exists from creation on, also when FormCreate stopped early.
    if (!newsItems_) newsItems_ = std::make_unique<TNewsCollection>();
    autoUpdateTimer_.setInterval(kAutoUpdateCheck);
    connect(&autoUpdateTimer_, &QTimer::timeout, this, [this] { runHandler([this] { AutoUpdate(Now()); }); });
    autoUpdateTimer_.start();
}

TfrmMain::~TfrmMain() {
    update_.reset();  // the workers end before anything they report to goes
}

void TfrmMain::SetDialogs(TdlgOptions* options, TdlgAbout* about) {
    dlgOptions_ = options;
    dlgAbout_ = about;
}

TNewsCollection& TfrmMain::NewsItems() {
    if (!newsStale_) return *newsItems_;
    // The kept items' titles and links, which the tree does not hold, in one walk of the table.
    std::unordered_map<std::string, TStoredItem> kept;  // by site ID, '\0' and key
    const auto keyOf = [](std::int32_t site, const std::string& key) {
        return std::to_string(site) + '\0' + key;
    };
    try {
        if (items_) {
            items_->ForEachItem(
                [&](TStoredItem&& item) { kept.emplace(keyOf(item.Site, item.Key), std::move(item)); },
                0, TItemParts::Headlines);
        }
    } catch (const std::exception&) {
        kept.clear();  // a table that cannot be read now leaves the kept items without texts
    }
    siteNodes_.FillNewsList(*newsItems_, [&](std::int32_t site, const std::string& key) {
        const auto found = kept.find(keyOf(site, key));
        return found != kept.end() ? &found->second : nullptr;
    });
    newsStale_ = false;
    return *newsItems_;
}

QTreeWidget* TfrmMain::tvList() const {
    return ui->tvList;
}

TReadingPane* TfrmMain::txtItem() const {
    return ui->txtItem;
}

void TfrmMain::nameToolButtons() {
    const std::pair<QAction*, const char*> buttons[] = {{ui->actUpdate, "btnUpdate"},
                                                        {ui->actStop, "btnStop"},
                                                        {ui->actConfig, "btnConfig"},
                                                        {ui->actExit, "btnExit"}};
    for (const auto& [action, name] : buttons) {
        QWidget* button = ui->ToolBar1->widgetForAction(action);
        button->setObjectName(QLatin1String(name));
        button->setMinimumSize(27, 26);
    }
}

void TfrmMain::connectCommands() {
    connect(ui->actUpdate, &QAction::triggered, this, [this] { runHandler([this] { btnUpdateClick(); }); });
    connect(ui->actStop, &QAction::triggered, this, [this] { runHandler([this] { StopClick(); }); });
    connect(ui->actConfig, &QAction::triggered, this, [this] { runHandler([this] { ConfigClick(); }); });
    connect(ui->actExit, &QAction::triggered, this, [this] { runHandler([this] { ExitClick(); }); });
    connect(ui->About1, &QAction::triggered, this, [this] { runHandler([this] { About1Click(); }); });
}

void TfrmMain::addRootNode() {
    rootNode_ = tree_.AddChild(nullptr, tr("Wispel"));
    rootNode_->setExpanded(true);
    siteNodes_.SetRoot(rootNode_);
}

void TfrmMain::FormCreate() {
    tree_.Clear();
    addRootNode();
    sitesInTable_ = ReadActiveSites(dataFolder_, update_->Sources().RSSSourceList());
    showPlaceholder();
    newsItems_ = std::make_unique<TNewsCollection>();
    items_ = std::make_unique<TItemsTable>(dataFolder_);
    showKeptNews();
}

void TfrmMain::ReloadSites() {
    TRSSSourceCollection fresh(nullptr);
    sitesInTable_ = ReadActiveSites(dataFolder_, fresh);
    ReplaceSourcesKeepingStamps(update_->Sources().RSSSourceList(), fresh);
    if (siteNodes_.DropGone(update_->Sources().RSSSourceList())) newsStale_ = true;
    showPlaceholder();
}

// --- Starting and stopping.

void TfrmMain::btnUpdateClick() {
    if (update_->Running()) return;
    // Another program (wispel-sites, say) may have changed the table since the last read.
    ReloadSites();
    startUpdate({}, Now(), false);
}

void TfrmMain::AutoUpdate(TDateTime now) {
    if (update_->Running()) return;
    startUpdate(
        [this, now](const TRSSSourceItem& source) {
            if (source.UpdateFrequency <= 0) return false;  // only on Update News
            auto failed = failedAt_.find({source.Site, source.URL});
            return failed == failedAt_.end() || failed->second + source.UpdateFrequency / kMinutesPerDay <= now;
        },
        now, true);
}

void TfrmMain::startUpdate(const std::function<bool(const TRSSSourceItem&)>& pick, TDateTime at,
                           bool automatic) {
    forgetValidatorsOfUnshownSites();
    progress_ = Progress{};
    progress_.automatic = automatic;
    showRunning(true);
    // With nothing due the end is reported before Start returns.
    const int sites = update_->Start(pick, at);
    if (!update_->Running()) return;
    progress_.sites = sites;
    showProgress();
}

void TfrmMain::StopClick() {
    update_->Stop();
}

void TfrmMain::showRunning(bool running) {
    ui->actUpdate->setEnabled(!running);
    ui->actStop->setEnabled(running);
    // The sites dialog changes the list the update goes through: it waits for the end.
    ui->actConfig->setEnabled(!running);
    ui->actImport->setEnabled(!running);
}

void TfrmMain::forgetValidatorsOfUnshownSites() {
    const TRSSSourceCollection& list = update_->Sources().RSSSourceList();
    for (int i = 0; i < list.Count(); ++i) {
        if (!siteNodes_.Shows(list, i)) validators_.Store(list[i]->URL, {});
    }
}

// --- The update's reports.

void TfrmMain::SiteRetrieved(const TUpdateSite& site, const TRSSListedItemCollection& items) {
    QTreeWidgetItem* node = siteNodes_.Node(update_->Sources().RSSSourceList(), site.Index);
    if (items_ && site.SiteID != 0) {
        std::string error;
        if (!keepRetrieved(site, items, node, error)) return SiteFailed(site, error);
    } else {
        progress_.newItems += siteNodes_.ShowItems(node, items);
        newsStale_ = true;
    }
    siteNodes_.MarkRetrieved(node, site.FeedTitle);
    failedAt_.erase({site.Site, site.URL});
    ++progress_.reported;
    showProgress();
}

void TfrmMain::SiteNotModified(const TUpdateSite& site) {
    QTreeWidgetItem* node = siteNodes_.Node(update_->Sources().RSSSourceList(), site.Index);
    showKeptSiteNews(site, node);
    siteNodes_.MarkUnchanged(node);
    failedAt_.erase({site.Site, site.URL});
    ++progress_.reported;
    showProgress();
}

void TfrmMain::SiteFailed(const TUpdateSite& site, const std::string& message) {
    QTreeWidgetItem* node = siteNodes_.Node(update_->Sources().RSSSourceList(), site.Index);
    siteNodes_.MarkFailed(node, style()->standardIcon(QStyle::SP_MessageBoxWarning), message);
    failedAt_[{site.Site, site.URL}] = Now();
    ++progress_.reported;
    ++progress_.failed;
    showProgress();
}

void TfrmMain::UpdateFinished(const TUpdateSummary& summary) {
    showRunning(false);
    // An automatic look that found nothing due leaves the status bar as it was.
    if (progress_.automatic && summary.Sites == 0 && !summary.Stopped) return;
    QString sites = summary.Sites == 1 ? tr("1 site") : tr("%1 sites").arg(summary.Sites);
    if (summary.Stopped) sites = tr("Stopped: %1 of %2 sites").arg(summary.Sites).arg(progress_.sites);
    statusBar()->showMessage(countsText(sites, progress_.newItems, summary.Failed));
}

void TfrmMain::showProgress() {
    const QString sites = tr("Updating: %1 of %2 sites").arg(progress_.reported).arg(progress_.sites);
    statusBar()->showMessage(countsText(sites, progress_.newItems, progress_.failed));
}

// --- Opening an item.

void TfrmMain::tvListDblClick() {
    QTreeWidgetItem* node = ui->tvList->currentItem();
    if (!node || !node->isSelected()) return;
    if (!siteNodes_.IsItem(node)) return;  // the root or a site node
    const std::string link = itemLink(node);
    const QString why = urlOpener().Open(link);
    if (!why.isEmpty()) statusBar()->showMessage(notOpenedMessage(link, why));
    setRead(node, true);
}

// --- The other commands.

void TfrmMain::ConfigClick() {
    if (update_->Running()) return;  // the dialog waits for the update's end
    // The dialog shows the table as it is on disk now, from its first row.
    dlgOptions_->ShowStoredRows();
    dlgOptions_->exec();
    // The dialog's buttons leave nothing pending; this is for a close that went past them.
    dlgOptions_->FinishPendingEdit();
    ReloadSites();
}

void TfrmMain::ExitClick() {
    close();
}

void TfrmMain::About1Click() {
    dlgAbout_->exec();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // Closing does not wait for slow sites: the update stops at once.
    update_->Stop();
    saveLayout();
    QMainWindow::closeEvent(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->tvList->viewport() && event->type() == QEvent::Resize) {
        placeWithinTree();
    } else if (watched == ui->tvList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        runHandler([this] { tvListDblClick(); });
    } else if (watched == ui->tvList->viewport() && event->type() == QEvent::ToolTip) {
        // Before the view asks the node for its tooltip.
        QTreeWidgetItem* node = ui->tvList->itemAt(static_cast<QHelpEvent*>(event)->pos());
        runHandler([this, node] { fetchToolTip(node); });
    } else if (watched == ui->tvList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runHandler([this] { tvListDblClick(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- The empty state.

void TfrmMain::makePlaceholder() {
    placeholder_ = new QLabel(ui->tvList->viewport());
    placeholder_->setObjectName(QStringLiteral("lblNoSites"));
    placeholder_->setTextFormat(Qt::PlainText);
    placeholder_->setWordWrap(true);
    placeholder_->setAlignment(Qt::AlignCenter);
    placeholder_->setEnabled(false);  // drawn in the muted colour of the style
    placeholder_->hide();
}

void TfrmMain::showPlaceholder() {
    QString text;
    if (sitesInTable_ == 0) {
        text = tr("No sites yet: add one with Sites...");
    } else if (update_->Sources().RSSSourceList().Count() == 0) {
        text = tr("No active sites: turn one on with Sites...");
    }
    placeholder_->setText(text);
    placeholder_->setVisible(!text.isEmpty());
    placeWithinTree();
}

// Below the root node, across the tree's width.
void TfrmMain::placeWithinTree() {
    const QRect area = ui->tvList->viewport()->rect();
    const int top = rootNode_ ? ui->tvList->visualItemRect(rootNode_).bottom() + 1 : 0;
    placeholder_->setGeometry(area.adjusted(8, top, -8, 0));
}

}  // namespace wispel
