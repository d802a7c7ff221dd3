#pragma once
// TfrmMain: the main window. It shows the news tree, runs the commands Update News,
// Sites, Quit and About, and owns the three feed components: the parser, the
// retriever and the source list. Every retrieved feed becomes a site node with one node per
// item, and the news list remembers each item node's link for the double-click (or Enter).
//
// Ownership: the window owns its feed components (through `components_`) and `NewsItems`;
// the sites and about dialogs are not owned (they live as long as the window, see
// `SetDialogs`).

#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <string>

#include "app/NewsItems.h"
#include "app/NewsTree.h"
#include "core/Component.h"
#include "core/MemoryStream.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class TfrmMain;
}

namespace wispel {

class TRSSParser;
class TRSSRetriever;
class TRSSSources;
class TReportingRetriever;
class TdlgOptions;
class TdlgAbout;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window from its layout and runs FormCreate; an error there is shown in the
    // error box and skips the rest of FormCreate. `dataFolder` holds "Sites.DAT".
    explicit TfrmMain(std::string dataFolder, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The dialogs the commands show; created after this window.
    void SetDialogs(TdlgOptions* options, TdlgAbout* about);

    // --- The handlers; each lets its errors pass (the caller's runHandler shows them).
    void FormCreate();
    // Reads the sites table as it is on disk into the source list; a site whose name and
    // address are unchanged keeps the time of its last retrieval.
    void ReloadSites();
    void btnUpdateClick();
    void ConfigClick();
    void ExitClick();
    void About1Click();
    void tvListDblClick();
    void rssSourcesRSSDataRetrieved(TRSSSources* Sender, TMemoryStream* Stream, std::string Site);

    // --- What the handlers work on.
    TRSSParser* rssParser() const noexcept { return rssParser_; }
    TRSSRetriever* rssRetriever() const noexcept;
    TRSSSources* rssSources() const noexcept { return rssSources_; }
    TNewsCollection& NewsItems() noexcept { return *newsItems_; }
    QTreeWidgetItem* RootNode() const noexcept { return rootNode_; }
    QTreeWidget* tvList() const;
    const std::string& DataFolder() const noexcept { return dataFolder_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectCommands();
    void nameToolButtons();
    void addRootNode();
    // The line in the tree's place while there is no site to fetch.
    void makePlaceholder();
    void showPlaceholder();
    void placeWithinTree();
    // The status bar while an update runs, and its summary afterwards.
    void showProgress();
    void showSummary();
    void onRetrieveBegin(const std::string& url);
    void onBytesReceived(std::int64_t bytes);
    void keepPainting();

    std::unique_ptr<Ui::TfrmMain> ui;
    std::string dataFolder_;
    TComponent components_;  // owns the feed components below
    TRSSParser* rssParser_;
    TReportingRetriever* rssRetriever_;
    TRSSSources* rssSources_;
    std::unique_ptr<TNewsCollection> newsItems_;
    TNewsTree tree_;
    QTreeWidgetItem* rootNode_ = nullptr;  // owned by the tree view
    TdlgOptions* dlgOptions_ = nullptr;    // not owned
    TdlgAbout* dlgAbout_ = nullptr;        // not owned
    QLabel* placeholder_ = nullptr;        // owned by the tree's viewport
    int sitesInTable_ = -1;                // rows at the last read, active or not; -1 unread

    // The running update, for the status bar.
    struct Progress {
        bool running = false;
        int nextSource = 0;       // where the search for the next fetched source starts
        std::string site;         // the site being fetched
        std::int64_t bytes = 0;   // received for it so far
        int sitesDone = 0;
        int items = 0;
        int failed = 0;
    } progress_;
    qint64 lastPaint_ = 0;  // when the window last painted during an update (ms)
};

}  // namespace wispel
