#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

#include <utility>

#include "app/AboutDialog.h"
#include "app/Application.h"
#include "app/QtText.h"
#include "app/ReportingRetriever.h"
#include "app/SitesDialog.h"
#include "app/UrlOpener.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedTitle.h"
#include "feeds/Sources.h"
#include "feeds/SitesTable.h"
#include "http/NetHTTP.h"
#include "tablestore/component/StoreTable.h"
#include "ui_MainWindow.h"

namespace wispel {

namespace {

// While an update runs, the window paints at most this often (milliseconds).
constexpr qint64 kPaintInterval = 100;

}  // namespace

TfrmMain::TfrmMain(std::string dataFolder, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TfrmMain>()),
      dataFolder_(std::move(dataFolder)),
      rssParser_(new TRSSParser(&components_)),
      rssRetriever_(new TReportingRetriever(&components_)),
      rssSources_(new TRSSSources(&components_)) {
    ui->setupUi(this);
    tree_ = TNewsTree(ui->tvList);
    rssSources_->SetRetriever(rssRetriever_);
    AddDesignTimeSource(rssSources_->RSSSourceList());
    rssSources_->OnRSSDataRetrieved = bindEvent(this, &TfrmMain::rssSourcesRSSDataRetrieved);
    rssRetriever_->OnRetrieveBegin = bindEvent(this, &TfrmMain::onRetrieveBegin);
    rssRetriever_->HTTP()->OnWork = [this](TComponent*, TWorkMode mode, std::int64_t count) {
        if (mode == TWorkMode::wmRead) onBytesReceived(count);
    };
    nameToolButtons();
    // F5 is the key a person tries first; Ctrl+R is what other readers take.
    ui->actUpdate->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
    // The window itself carries every command, so that each shortcut works wherever its
    // action is shown (an item of a closed menu alone would not take its key).
    addActions({ui->actUpdate, ui->actConfig, ui->actExit, ui->About1});
    makePlaceholder();
    connectCommands();
    ui->tvList->installEventFilter(this);
    ui->tvList->viewport()->installEventFilter(this);
    runHandler([this] { FormCreate(); });
    // The news list exists from creation on, also when FormCreate stopped early.
    if (!newsItems_) newsItems_ = std::make_unique<TNewsCollection>();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::SetDialogs(TdlgOptions* options, TdlgAbout* about) {
    dlgOptions_ = options;
    dlgAbout_ = about;
}

TRSSRetriever* TfrmMain::rssRetriever() const noexcept {
    return rssRetriever_;
}

QTreeWidget* TfrmMain::tvList() const {
    return ui->tvList;
}

void TfrmMain::nameToolButtons() {
    const std::pair<QAction*, const char*> buttons[] = {
        {ui->actUpdate, "btnUpdate"}, {ui->actConfig, "btnConfig"}, {ui->actExit, "btnExit"}};
    for (const auto& [action, name] : buttons) {
        QWidget* button = ui->ToolBar1->widgetForAction(action);
        button->setObjectName(QLatin1String(name));
        button->setMinimumSize(27, 26);
    }
}

void TfrmMain::connectCommands() {
    connect(ui->actUpdate, &QAction::triggered, this, [this] { runHandler([this] { btnUpdateClick(); }); });
    connect(ui->actConfig, &QAction::triggered, this, [this] { runHandler([this] { ConfigClick(); }); });
    connect(ui->actExit, &QAction::triggered, this, [this] { runHandler([this] { ExitClick(); }); });
    connect(ui->About1, &QAction::triggered, this, [this] { runHandler([this] { About1Click(); }); });
}

void TfrmMain::addRootNode() {
    rootNode_ = tree_.AddChild(nullptr, tr("Wispel"));
    rootNode_->setExpanded(true);
}

void TfrmMain::FormCreate() {
    tree_.Clear();
    addRootNode();
    sitesInTable_ = ReadActiveSites(dataFolder_, rssSources_->RSSSourceList());
    showPlaceholder();
    newsItems_ = std::make_unique<TNewsCollection>();
}

void TfrmMain::ReloadSites() {
    TRSSSourceCollection fresh(nullptr);
    sitesInTable_ = ReadActiveSites(dataFolder_, fresh);
    ReplaceSourcesKeepingStamps(rssSources_->RSSSourceList(), fresh);
    showPlaceholder();
}

void TfrmMain::btnUpdateClick() {
    // Another program (wispel-sites, say) may have changed the table since the last read.
    ReloadSites();
    tree_.Clear();
    rootNode_ = nullptr;
    newsItems_->Clear();
    addRootNode();
    progress_ = Progress{};
    progress_.running = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto finish = [this] {
        progress_.running = false;
        QApplication::restoreOverrideCursor();
        showSummary();
    };
    try {
        rssSources_->UpdateSources();
    } catch (...) {
        ++progress_.failed;
        finish();
        throw;
    }
    finish();
}

void TfrmMain::rssSourcesRSSDataRetrieved(TRSSSources*, TMemoryStream* Stream, std::string Site) {
    // Relative links of the feed resolve against the address it finally came from.
    rssParser_->SetBaseURL(rssRetriever_->RetrievedURL());
    rssParser_->ParseRSSStream(Stream);
    QTreeWidgetItem* siteNode = tree_.AddChild(rootNode_, fromText(Site));
    siteNode->setToolTip(0, siteToolTip(FeedTitle(rssParser_->Document()), rssRetriever_->RetrievedURL()));
    const TRSSListedItemCollection& items = rssParser_->Items();
    std::vector<TNewsTree::Node> nodes;
    nodes.reserve(static_cast<size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i) {
        nodes.push_back({fromText(items[i]->Title), itemToolTip(items[i]->Description)});
    }
    const std::vector<QTreeWidgetItem*> added = tree_.AddChildren(siteNode, nodes);
    for (int i = 0; i < items.Count(); ++i) {
        TNewsItem* entry = newsItems_->Add();
        entry->Title = items[i]->Title;
        entry->Link = items[i]->Link;
        entry->TreeIndex = TNewsTree::AbsoluteIndex(added[static_cast<size_t>(i)]);
    }
    siteNode->setExpanded(true);
    rootNode_->setExpanded(true);
    ++progress_.sitesDone;
    progress_.items += items.Count();
    showProgress();
    keepPainting();
}

void TfrmMain::tvListDblClick() {
    QTreeWidgetItem* node = ui->tvList->currentItem();
    if (!node || !node->isSelected()) return;
    const TNewsItem* entry = newsItems_->FindByTreeIndex(TNewsTree::AbsoluteIndex(node));
    if (!entry) return;  // the root or a site node
    const QString why = urlOpener().Open(entry->Link);
    if (!why.isEmpty()) statusBar()->showMessage(notOpenedMessage(entry->Link, why));
}

void TfrmMain::ConfigClick() {
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
    // An update runs to its end: the window stays until then.
    if (progress_.running) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->tvList->viewport() && event->type() == QEvent::Resize) {
        placeWithinTree();
    } else if (watched == ui->tvList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        runHandler([this] { tvListDblClick(); });
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
    } else if (rssSources_->RSSSourceList().Count() == 0) {
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

// --- The status bar during an update.

void TfrmMain::onRetrieveBegin(const std::string& url) {
    const TRSSSourceCollection& list = rssSources_->RSSSourceList();
    // The cycle goes through the list in order: the source is at or after the last one.
    for (int i = progress_.nextSource; i < list.Count(); ++i) {
        if (list[i]->URL == url) {
            progress_.site = list[i]->Site;
            progress_.nextSource = i + 1;
            break;
        }
    }
    progress_.bytes = 0;
    showProgress();
    keepPainting();
}

void TfrmMain::onBytesReceived(std::int64_t bytes) {
    if (!progress_.running) return;
    progress_.bytes = bytes;
    keepPainting();
}

void TfrmMain::showProgress() {
    statusBar()->showMessage(tr("%1: %2 bytes received, sites done: %3")
                                 .arg(fromText(progress_.site))
                                 .arg(progress_.bytes)
                                 .arg(progress_.sitesDone));
}

void TfrmMain::showSummary() {
    QString text = progress_.sitesDone == 1 ? tr("1 site") : tr("%1 sites").arg(progress_.sitesDone);
    text += progress_.items == 1 ? tr(", 1 item") : tr(", %1 items").arg(progress_.items);
    if (progress_.failed > 0) text += tr(", %1 failed").arg(progress_.failed);
    statusBar()->showMessage(text);
}

// Lets the window paint while a command holds the thread; user input waits, so the command
// still runs to its end before anything else happens.
void TfrmMain::keepPainting() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - lastPaint_ < kPaintInterval) return;
    lastPaint_ = now;
    if (progress_.running) showProgress();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace wispel
