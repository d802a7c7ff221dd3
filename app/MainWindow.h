#pragma once
// TfrmMain: the main window. It shows the news tree, runs the commands Update News, Stop,
// Sites, Quit and About, and is a view of the feed update: the sites are fetched and parsed
// on the update's workers, and each outcome reaches the tree on the window's thread, in the
// sites' order. The news are kept in "Items.DAT" beside the sites table: the tree starts
// with them, each retrieved feed is merged into the table (a site's merge is small enough
// for the window's thread) and the site's node shows the site's kept items afresh, in place.
// An unchanged feed keeps them, and a failure keeps them too and marks the node with an
// error icon and the message. The news list remembers each item node's link for the
// double-click (or Enter).
//
// Reading: an item selected for a moment (ReadDelay), or opened, is marked read; the News
// menu (also the tree's context menu) marks an item read or unread, a site or everything
// read, and walks to the next unread item. The table changes first, then the tree. The
// reading pane beside the tree shows the selected item.
//
// The window opens at about two thirds of the screen the first time, and from then on with
// the size, position, splitter and columns it was closed with (QSettings, in the user's
// configuration folder). File > Import... adds the sites of an OPML file and says what it
// added and skipped; File > Export... saves every site as one.
//
// While the window is open, a site with an interval ("Update", minutes) is fetched again
// once the interval has passed since its last fetch; one update runs at a time, so no site is
// ever fetched twice at once.
//
// Ownership: the window owns the update (with its source list) and `NewsItems`; the sites
// and about dialogs are not owned (they live as long as the window, see `SetDialogs`).

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/NewsItems.h"
#include "app/NewsTree.h"
#include "app/SiteNodes.h"
#include "core/DateTime.h"
#include "feeds/FeedUpdate.h"
#include "feeds/FeedValidators.h"
#include "feeds/ItemsTable.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class TfrmMain;
}

namespace wispel {

class TdlgOptions;
class TdlgAbout;
class TReadingPane;

class TfrmMain : public QMainWindow, public TUpdateView {
    Q_OBJECT
public:
    // Builds the window from its layout and runs FormCreate; an error there is shown in the
    // error box and skips the rest of FormCreate. `dataFolder` holds "Sites.DAT".
    explicit TfrmMain(std::string dataFolder, QWidget* parent = nullptr);
    // Ends a running update first, without showing anything more of it.
    ~TfrmMain() override;

    // The dialogs the commands show; created after this window.
    void SetDialogs(TdlgOptions* options, TdlgAbout* about);

    // --- The handlers; each lets its errors pass (the caller's runHandler shows them).
    void FormCreate();
    // Reads the sites table as it is on disk into the source list; a site whose name and
    // address are unchanged keeps the time of its last retrieval and its node. The nodes of
    // sites no longer in the list go.
    void ReloadSites();
    // Update News: rereads the table and starts an update of every due site; nothing while
    // an update runs.
    void btnUpdateClick();
    // The automatic update: the sites with an interval that has passed at `now`; nothing
    // while an update runs. A timer calls it with the current time.
    void AutoUpdate(TDateTime now);
    // Stop: ends a running update within a second; what has fully arrived is shown.
    void StopClick();
    void ConfigClick();
    void ExitClick();
    void About1Click();
    void tvListDblClick();
    // --- Reading; each acts on the current node and does nothing where it has no item.
    void MarkReadClick();
    void MarkUnreadClick();
    void MarkSiteReadClick();
    void MarkAllReadClick();
    // Selects the first unread item after the current node, across the sites, from the top
    // again past the last; says so in the status bar when there is none.
    void NextUnreadClick();
    // How long an item stays selected before it counts as read (milliseconds).
    int ReadDelay = 1000;
    // File > Import...: the OPML file chosen, the report shown, the sites read again.
    void ImportClick();
    // File > Export...: every site written to the file chosen as OPML.
    void ExportClick();
    // Ask for the file to import from and to export to; empty: the person cancelled. By
    // default the toolkit's file dialogs; tests answer here.
    std::function<QString()> ChooseImportFile;
    std::function<QString()> ChooseExportFile;

    // --- What the handlers work on.
    TRSSSources* rssSources() const noexcept { return &update_->Sources(); }
    bool Updating() const noexcept { return update_->Running(); }
    // The news list of every item node, in tree order; made when asked for after a change,
    // since the window itself finds an item's texts from its node.
    TNewsCollection& NewsItems();
    QTreeWidgetItem* RootNode() const noexcept { return rootNode_; }
    QTreeWidget* tvList() const;
    TReadingPane* txtItem() const;
    const std::string& DataFolder() const noexcept { return dataFolder_; }
    // The kept news; null when "Items.DAT" could not be opened (the tree then shows what
    // the updates bring, as it comes).
    TItemsTable* KeptNews() const noexcept { return items_.get(); }

    // --- The update's reports, on the window's thread.
    void SiteRetrieved(const TUpdateSite& site, const TRSSListedItemCollection& items) override;
    void SiteNotModified(const TUpdateSite& site) override;
    void SiteFailed(const TUpdateSite& site, const std::string& message) override;
    void UpdateFinished(const TUpdateSummary& summary) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:

    void connectCommands();
    void connectReading();
    // Fills the tree, which has no site node yet, with the kept news of the listed sites
    // that have any.
    void showKeptNews();
    // The site's kept news, newest first, read whole from the table.
    std::vector<TStoredItem> keptItems(std::int32_t site);
    // Merges a retrieved feed into the table and shows the site's kept news; false when
    // the table refused (the site then counts as failed, with `error` saying why).
    bool keepRetrieved(const TUpdateSite& site, const TRSSListedItemCollection& items,
                       QTreeWidgetItem* node, std::string& error);
    // Shows the site's kept news as the table holds them now: another process may have
    // merged a newer feed of the site than the one this window last saw.
    void showKeptSiteNews(const TUpdateSite& site, QTreeWidgetItem* node);
    // Shows the site's kept news on `node`, keeping the selection on the same item.
    void showSiteNews(QTreeWidgetItem* node, std::vector<TStoredItem>& items);
    void setRead(QTreeWidgetItem* item, bool read);
    void markSiteRead(QTreeWidgetItem* site);
    void currentNodeChanged(QTreeWidgetItem* current);
    void showInPane(QTreeWidgetItem* node);
    // Start-up reads no descriptions (a long list would wait for them): a kept item's
    // tooltip is read when it is first asked for.
    void fetchToolTip(QTreeWidgetItem* node);
    // An item's link: a kept one's read from the table (the tree holds none), else the feed's.
    std::string itemLink(const QTreeWidgetItem* node);
    void connectFiles();
    // The size, position, splitter and columns of the last run, or the first start's.
    void restoreLayout();
    void saveLayout() const;
    // The first start's split between the tree and the reading pane, for the window's width.
    void placeFirstSplit();
    void nameToolButtons();
    void addRootNode();
    // Starts the update with `pick`; `automatic` keeps an update that finds nothing due
    // out of the status bar.
    void startUpdate(const std::function<bool(const TRSSSourceItem&)>& pick, TDateTime at,
                     bool automatic);
    void showRunning(bool running);
    // Validators go only with the sites whose items the tree shows, since a 304 keeps them.
    void forgetValidatorsOfUnshownSites();
    // The line in the tree's place while there is no site to fetch.
    void makePlaceholder();
    void showPlaceholder();
    void placeWithinTree();
    // The status bar while an update runs, and its summary afterwards.
    void showProgress();

    std::unique_ptr<Ui::TfrmMain> ui;
    std::string dataFolder_;
    TFeedValidators validators_;  // in memory: they are worth only what the tree shows
    std::unique_ptr<TFeedUpdate> update_;
    QTimer autoUpdateTimer_;
    std::unique_ptr<TItemsTable> items_;
    QTimer readTimer_;  // an item selected for ReadDelay is read
    std::unique_ptr<TNewsCollection> newsItems_;
    bool newsStale_ = false;  // the tree changed since newsItems_ was made
    TNewsTree tree_;
    TSiteNodes siteNodes_{tree_};
    QTreeWidgetItem* rootNode_ = nullptr;  // owned by the tree view
    TdlgOptions* dlgOptions_ = nullptr;    // not owned
    TdlgAbout* dlgAbout_ = nullptr;        // not owned
    QLabel* placeholder_ = nullptr;        // owned by the tree's viewport
    int sitesInTable_ = -1;                // rows at the last read, active or not; -1 unread
    bool firstSplit_ = false;              // no split was kept: place it at the first showing
    // When each failing site (name, address) last failed: an automatic update tries it again
    // after its interval, as it would a site that answered.
    std::map<std::pair<std::string, std::string>, TDateTime> failedAt_;

    // The running update, for the status bar.
    struct Progress {
        int sites = 0;     // under way when it started
        int reported = 0;  // sites whose outcome arrived
        int newItems = 0;  // items the tree did not show before
        int failed = 0;
        bool automatic = false;
    } progress_;
};

}  // namespace wispel
