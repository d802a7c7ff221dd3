// The main window against a real sites table and real local servers: start-up with and
// without a table, the update with its tree and news list, a failing site, automatic
// updates, Stop and closing during a slow update, the double-click and Enter, and the
// configuration command.

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTreeWidget>
#include <QToolBar>
#include <QToolButton>

#include <chrono>

#include <unistd.h>

#include "app/DBEdit.h"
#include "app/DBGrid.h"
#include "app/Startup.h"
#include "feeds/Sources.h"
#include "tests/app/AppTest.h"
#include "tests/app/SitesFixture.h"
#include "tests/support/ScriptedServer.h"

using namespace wispel;
using namespace wispel::test;

namespace {

// The tree as lines: two blanks per level, then the node's text and its absolute index.
QStringList treeLines(QTreeWidget* tree) {
    QStringList lines;
    std::vector<std::pair<QTreeWidgetItem*, int>> stack;
    for (int i = tree->topLevelItemCount() - 1; i >= 0; --i) stack.push_back({tree->topLevelItem(i), 0});
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        lines << QString(depth * 2, ' ') + node->text(0) + " #" +
                     QString::number(TNewsTree::AbsoluteIndex(node));
        for (int i = node->childCount() - 1; i >= 0; --i) stack.push_back({node->child(i), depth + 1});
    }
    return lines;
}

QStringList newsLines(TNewsCollection& news) {
    QStringList lines;
    for (int i = 0; i < news.Count(); ++i) {
        lines << QString::fromStdString(news[i]->Title) + " | " +
                     QString::fromStdString(news[i]->Link) + " | " + QString::number(news[i]->TreeIndex);
    }
    return lines;
}

QStringList sourceLines(TRSSSources* sources) {
    QStringList lines;
    TRSSSourceCollection& list = sources->RSSSourceList();
    for (int i = 0; i < list.Count(); ++i) {
        lines << QString::fromStdString(list[i]->Site + " " + list[i]->URL + " ") +
                     QString::number(list[i]->UpdateFrequency);
    }
    return lines;
}

QTreeWidgetItem* nodeAt(QTreeWidget* tree, std::initializer_list<int> path) {
    QTreeWidgetItem* node = tree->topLevelItem(0);
    for (int i : path) node = node->child(i);
    return node;
}

void select(QTreeWidget* tree, QTreeWidgetItem* node) {
    tree->setCurrentItem(node);
    QVERIFY(node->isSelected());
}

// The texts of the site nodes, in order.
QStringList siteNodes(QTreeWidget* tree) {
    QStringList names;
    QTreeWidgetItem* root = tree->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) names << root->child(i)->text(0);
    return names;
}

// Runs wispel-sites on the folder's table as another process; its standard output.
QString runSites(const SitesFolder& folder, QStringList arguments) {
    QProcess process;
    arguments.prepend(QString::fromStdString(folder.path()));
    arguments.prepend(QStringLiteral("--dir"));
    process.start(QStringLiteral(WISPEL_BINARY_DIR "/bin/wispel-sites"), arguments);
    if (!process.waitForFinished(60000)) process.kill();
    const QString err = QString::fromUtf8(process.readAllStandardError());
    [&] { QVERIFY2(process.exitCode() == 0, qPrintable(err)); }();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Update News, then the window's own event loop until the update has ended.
void updateNews(TfrmMain& main) {
    main.btnUpdateClick();
    QTRY_VERIFY_WITH_TIMEOUT(!main.Updating(), 60000);
}

const QStringList kThreeSitesTree = {
    "Wispel #0",
    "  Courier (3) #1",
    "    Same title #2",
    "    Bad link #3",
    "    Line break #4",
    "  Tribune (2) #5",
    "    Same title #6",
    "    Snow on the pass #7",
    "  Quiet #8",
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesAnEmptyTableAndShowsTheRootAlone() {
        SitesFolder folder;
        TWispelWindows windows = CreateWindows(folder.path());
        QVERIFY(QFile::exists(QString::fromStdString(folder.file("Sites.DAT"))));
        QCOMPARE(treeLines(windows.frmMain->tvList()), QStringList{"Wispel #0"});
        QVERIFY(windows.frmMain->RootNode()->isExpanded());
        QCOMPARE(windows.frmMain->rssSources()->RSSSourceList().Count(), 0);
        QCOMPARE(windows.frmMain->NewsItems().Count(), 0);
        QVERIFY(windows.dlgOptions->dbSites().Active());
        QCOMPARE(windows.frmMain->windowTitle(), QStringLiteral("Wispel"));
    }

    void startUpReadsExactlyTheActiveSitesFromAnyWorkingDirectory() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1:1/c", 30, true);
        folder.addSite("Off", "http://127.0.0.1:1/o", 5, false);
        folder.addSite("Unset", "http://127.0.0.1:1/u", 5, std::nullopt);
        folder.addSite("Tribune", "http://127.0.0.1:1/t", std::nullopt, true);
        QTemporaryDir elsewhere;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        TWispelWindows windows = CreateWindows(folder.path());
        QDir::setCurrent(before);
        // A row whose Active was never set counts as active.
        QCOMPARE(sourceLines(windows.frmMain->rssSources()),
                 (QStringList{"Courier http://127.0.0.1:1/c 30", "Unset http://127.0.0.1:1/u 5",
                              "Tribune http://127.0.0.1:1/t 0"}));
        QVERIFY(!QFile::exists(elsewhere.filePath("Sites.DAT")));
        QCOMPARE(windows.dlgOptions->dbSites().DataFilePath(), folder.file("Sites.DAT"));
    }

    void theWindowHasItsCommandsHintsMenusAndShortcuts() {
        SitesFolder folder;
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        const struct {
            const char* button;
            const char* hint;
        } buttons[] = {{"btnUpdate", "Update News"}, {"btnStop", "Stop"}, {"btnConfig", "Sites"},
                       {"btnExit", "Quit"}};
        for (const auto& b : buttons) {
            auto* button = main.findChild<QToolButton*>(b.button);
            QVERIFY2(button, b.button);
            QCOMPARE(button->toolTip(), QString(b.hint));
            QVERIFY(!button->icon().isNull());
        }
        // Every item with its shortcuts; every tool bar action is among them.
        QStringList menus;
        QList<QAction*> inMenus;
        for (QAction* menu : main.menuBar()->actions()) {
            menus << menu->text();
            for (QAction* item : menu->menu()->actions()) {
                if (item->isSeparator()) continue;
                QStringList keys;
                for (const QKeySequence& key : item->shortcuts()) keys << key.toString();
                menus << "  " + item->text() + (keys.isEmpty() ? "" : " " + keys.join(","));
                inMenus << item;
            }
        }
        QCOMPARE(menus, (QStringList{"&File", "  &Update News F5,Ctrl+R", "  &Stop Esc", "  Import...", "  Export...", "  &Quit Ctrl+Q", "&News",
                                     "  Next unread Space,N", "  Mark as read Ctrl+M", "  Mark as unread Ctrl+U",
                                     "  Mark site as read Ctrl+Shift+M", "  Mark all as read Ctrl+Shift+A",
                                     "&Tools", "  &Sites... Ctrl+E", "&Help", "  &About Wispel F1"}));
        for (QAction* action : main.findChild<QToolBar*>("ToolBar1")->actions()) {
            QVERIFY2(action->isSeparator() || inMenus.contains(action), qPrintable(action->toolTip()));
        }
        QVERIFY(!main.windowIcon().isNull());
        QCOMPARE(windows.dlgOptions->windowTitle(), QStringLiteral("Sites"));
    }

    void theShortcutsRunTheirCommands() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        for (const QKeySequence& key : {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}) {
            main.statusBar()->clearMessage();
            QTest::keySequence(&main, key);
            QTRY_VERIFY(!main.Updating());
            QVERIFY(main.statusBar()->currentMessage().startsWith("1 site, "));
            QCOMPARE(main.NewsItems().Count(), 3);
        }
        const struct {
            QKeySequence key;
            QWidget* shows;
        } dialogs[] = {{QKeySequence(Qt::CTRL | Qt::Key_E), windows.dlgOptions.get()},
                       {QKeySequence(Qt::Key_F1), windows.dlgAbout.get()}};
        for (const auto& d : dialogs) {
            QWidget* shown = nullptr;
            whenModalShows([&](QWidget* modal) {
                shown = modal;
                static_cast<QDialog*>(modal)->reject();
            });
            QTest::keySequence(&main, d.key);
            QCOMPARE(shown, d.shows);
            main.activateWindow();  // the closed dialog gave the focus back to nobody
            QVERIFY(QTest::qWaitForWindowActive(&main));
        }
        QTest::keySequence(&main, QKeySequence(Qt::CTRL | Qt::Key_Q));
        QVERIFY(!main.isVisible());
    }

    void withoutSitesTheTreeSaysHowToAddOne() {
        SitesFolder folder;
        TWispelWindows windows = CreateWindows(folder.path());
        windows.dlgOptions->FindsFeeds = false;  // the address is nobody's
        TfrmMain& main = *windows.frmMain;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* placeholder = main.findChild<QLabel*>("lblNoSites");
        QVERIFY(placeholder);
        QVERIFY(placeholder->isVisible());
        QCOMPARE(placeholder->text(), QStringLiteral("No sites yet: add one with Sites..."));
        // Below the root node, within the tree.
        QVERIFY(placeholder->geometry().top() >= main.tvList()->visualItemRect(main.RootNode()).bottom());
        updateNews(main);
        QVERIFY(placeholder->isVisible());

        // A site added through the dialog takes the line away; one turned off brings another.
        whenModalShows([&](QWidget*) {
            TStoreTable& table = windows.dlgOptions->dbSites();
            table.StartInsert();
            table.FieldNamed("Name").SetTextValue("Courier");
            table.FieldNamed("URL").SetTextValue("http://127.0.0.1:1/c");
            windows.dlgOptions->accept();
        });
        main.ConfigClick();
        QVERIFY(!placeholder->isVisible());
        whenModalShows([&](QWidget*) {
            TStoreTable& table = windows.dlgOptions->dbSites();
            table.StartEdit();
            table.FieldNamed("Active").SetBooleanValue(false);
            windows.dlgOptions->accept();
        });
        main.ConfigClick();
        QVERIFY(placeholder->isVisible());
        QCOMPARE(placeholder->text(), QStringLiteral("No active sites: turn one on with Sites..."));
    }

    void updateBuildsTheTreeAndTheNewsList() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
        folder.addSite("Quiet", feeds.url("empty.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        QStringList progress;  // what the status bar said while the update ran
        const auto listening = connect(main.statusBar(), &QStatusBar::messageChanged, this,
                                       [&](const QString& text) { progress << text; });
        updateNews(main);
        disconnect(listening);
        QCOMPARE(progress, (QStringList{"Updating: 0 of 3 sites, 0 new items",
                                        "Updating: 1 of 3 sites, 3 new items",
                                        "Updating: 2 of 3 sites, 5 new items",
                                        "Updating: 3 of 3 sites, 5 new items", "3 sites, 5 new items"}));
        QCOMPARE(treeLines(main.tvList()), kThreeSitesTree);
        QCOMPARE(newsLines(main.NewsItems()),
                 (QStringList{"Same title | http://127.0.0.1/courier/1 | 2",
                              "Bad link | javascript:alert(1) | 3",
                              "Line\nbreak | http://127.0.0.1/courier/3 | 4",
                              "Same title | http://127.0.0.1/tribune/1 | 6",
                              "Snow on the pass | http://127.0.0.1/tribune/2 | 7"}));
        QVERIFY(nodeAt(main.tvList(), {0})->isExpanded());
        // The description is the tooltip, as text: its markup is shown, not obeyed.
        const QString tip = nodeAt(main.tvList(), {0, 0})->toolTip(0);
        QVERIFY2(tip.contains("First &lt;b&gt;story&lt;/b&gt; of the day"), qPrintable(tip));
        QVERIFY(!QApplication::overrideCursor());

        // A second update (frequency 0: every site is due) finds the same news.
        updateNews(main);
        QCOMPARE(treeLines(main.tvList()), kThreeSitesTree);
        QCOMPARE(main.NewsItems().Count(), 5);
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("3 sites, 0 new items"));
    }

    void withinTheIntervalASiteKeepsItsNewsAndIsFetchedAgainOnceItPassed() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 60);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        updateNews(main);
        QCOMPARE(main.NewsItems().Count(), 5);
        QStringList updates;
        const auto listening = connect(main.statusBar(), &QStatusBar::messageChanged, this,
                                       [&](const QString& text) { updates << text; });
        // Automatic: nothing has an interval that passed; a site without one waits for Update News.
        main.AutoUpdate(Now());
        QVERIFY(!main.Updating());
        QVERIFY(updates.isEmpty());
        const TDateTime inAnHour = Now() + 61 / kMinutesPerDay;
        main.AutoUpdate(inAnHour);
        QTRY_VERIFY(!main.Updating());
        QCOMPARE(updates.last(), QStringLiteral("1 site, 0 new items"));
        disconnect(listening);
        // Update News fetches the site without an interval alone; the other keeps its news.
        updateNews(main);
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("1 site, 0 new items"));
        QCOMPARE(treeLines(main.tvList()).size(), 8);
        QCOMPARE(main.NewsItems().Count(), 5);
    }

    void aFailingSiteFailsAloneAndKeepsWhatItShowed() {
        SitesFolder folder;
        FeedServer feeds;
        auto going = std::make_unique<FeedServer>();
        const std::string down = "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/feed.xml";
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        folder.addSite("Down", down, 0);
        folder.addSite("Tribune", going->url("tribune.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.findChild<QToolButton*>("btnUpdate")->click();  // no error box: the site fails alone
        QTRY_VERIFY(!main.Updating());
        QCOMPARE(siteNodes(main.tvList()), (QStringList{"Courier (3)", "Down", "Tribune (2)"}));
        QCOMPARE(main.NewsItems().Count(), 5);
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("3 sites, 5 new items, 1 failed"));
        const auto expectFailed = [&](int site, const std::string& url) {
            QTreeWidgetItem* node = nodeAt(main.tvList(), {site});
            QVERIFY(!node->icon(0).isNull());
            const QString tip = node->toolTip(0);
            QVERIFY2(tip.contains("10061") && tip.contains(QString::fromStdString(url)), qPrintable(tip));
        };
        expectFailed(1, down);
        QVERIFY(nodeAt(main.tvList(), {0})->icon(0).isNull());

        // The Tribune's server goes: its node keeps its news and shows the error.
        const std::string tribune = going->url("tribune.xml");
        going.reset();
        updateNews(main);
        QCOMPARE(treeLines(main.tvList()),
                 (QStringList{"Wispel #0", "  Courier (3) #1", "    Same title #2", "    Bad link #3",
                              "    Line break #4", "  Down #5", "  Tribune (2) #6", "    Same title #7",
                              "    Snow on the pass #8"}));
        QCOMPARE(main.NewsItems().Count(), 5);
        expectFailed(2, tribune);
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("3 sites, 0 new items, 2 failed"));
    }

    void stopAndClosingEndASlowUpdateWithinASecondAndTheWindowStaysUsable() {
        FeedServer feeds;
        SilentServer silent;
        for (const bool closing : {false, true}) {
            SitesFolder folder;  // without the news the first round kept
            folder.addSite("Courier", feeds.url("courier.xml"), 0);
            folder.addSite("Mute", silent.url("/feed.xml"), 0);
            folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
            TWispelWindows windows = CreateWindows(folder.path());
            TfrmMain& main = *windows.frmMain;
            main.show();
            main.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&main));
            main.btnUpdateClick();
            QTRY_COMPARE(siteNodes(main.tvList()), QStringList{"Courier (3)"});
            QVERIFY(main.Updating());
            QVERIFY(main.findChild<QToolButton*>("btnStop")->isEnabled());
            // Meanwhile an item opens and the about box comes and goes.
            RecordingOpener opener;
            select(main.tvList(), nodeAt(main.tvList(), {0, 0}));
            QTest::keyClick(main.tvList(), Qt::Key_Return);
            QCOMPARE(opener.opened, std::vector<QString>{"http://127.0.0.1/courier/1"});
            whenModalShows([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
            main.About1Click();
            QVERIFY(main.Updating());
            main.activateWindow();  // the closed box gave the focus back to nobody
            QVERIFY(QTest::qWaitForWindowActive(&main));

            const auto start = std::chrono::steady_clock::now();
            if (closing) {
                main.close();
            } else {
                QTest::keyClick(&main, Qt::Key_Escape);
            }
            const auto took = std::chrono::steady_clock::now() - start;
            QVERIFY2(took < std::chrono::seconds(1), closing ? "closing" : "stopping");
            QVERIFY(!main.Updating());
            QVERIFY(!siteNodes(main.tvList()).contains("Mute"));  // nothing half-done shows
            if (closing) {
                QVERIFY(!main.isVisible());
            } else {
                QVERIFY2(main.statusBar()->currentMessage().startsWith("Stopped: "),
                         qPrintable(main.statusBar()->currentMessage()));
                QVERIFY(main.findChild<QToolButton*>("btnUpdate")->isEnabled());
            }
        }
    }

    void doubleClickAndEnterOpenExactlyTheItemsLink() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.show();
        updateNews(main);
        QTreeWidget* tree = main.tvList();
        RecordingOpener opener;

        select(tree, nodeAt(tree, {1, 0}));  // "Same title" of the Tribune
        const QRect row = tree->visualItemRect(nodeAt(tree, {1, 0}));
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(opener.opened, std::vector<QString>{"http://127.0.0.1/tribune/1"});

        select(tree, nodeAt(tree, {0, 2}));  // a link with line breaks around it
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(opener.opened.back(), QStringLiteral("http://127.0.0.1/courier/3"));

        // A double-click below the nodes acts on the selected node.
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {},
                           QPoint(5, tree->viewport()->height() - 3));
        QCOMPARE(opener.opened.size(), size_t(3));
        QCOMPARE(opener.opened.back(), QStringLiteral("http://127.0.0.1/courier/3"));

        opener.opened.clear();
        for (QTreeWidgetItem* node : {nodeAt(tree, {}), nodeAt(tree, {0}), nodeAt(tree, {0, 1})}) {
            select(tree, node);  // the root, a site node, the item with an unsafe link
            main.tvListDblClick();
        }
        tree->clearSelection();
        main.tvListDblClick();
        QVERIFY(opener.opened.empty());
    }

    void configurationPostsThePendingInsertAndReloadsTheActiveSites() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1:1/c", 30, true);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        TdlgOptions& dialog = *windows.dlgOptions;
        dialog.FindsFeeds = false;  // the address is nobody's
        whenModalShows([&](QWidget* modal) {
            QCOMPARE(modal, static_cast<QWidget*>(&dialog));
            TStoreTable& table = dialog.dbSites();
            table.StartInsert();
            table.FieldNamed("Name").SetTextValue("Added");
            table.FieldNamed("URL").SetTextValue("http://127.0.0.1:1/a");
            table.FieldNamed("Active").SetBooleanValue(true);
            dialog.accept();  // the row is still being inserted when the dialog closes
        });
        main.findChild<QToolButton*>("btnConfig")->click();
        QCOMPARE(sourceLines(main.rssSources()),
                 (QStringList{"Courier http://127.0.0.1:1/c 30", "Added http://127.0.0.1:1/a 0"}));
        TStoreTable& table = dialog.dbSites();
        QCOMPARE(table.State(), TStoreDataSetState::dsBrowse);
        QVERIFY(!table.Filtered());
        QCOMPARE(folder.rows(), (std::vector<std::string>{"Courier|http://127.0.0.1:1/c|30|True",
                                                          "Added|http://127.0.0.1:1/a||True"}));
    }

    void configurationDropsAnUntouchedInsert() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1:1/c", 30, false);
        TWispelWindows windows = CreateWindows(folder.path());
        TdlgOptions& dialog = *windows.dlgOptions;
        whenModalShows([&](QWidget*) {
            dialog.dbSites().StartInsert();
            dialog.reject();  // the close box
        });
        windows.frmMain->ConfigClick();
        QCOMPARE(windows.frmMain->rssSources()->RSSSourceList().Count(), 0);
        QCOMPARE(folder.rows(), std::vector<std::string>{"Courier|http://127.0.0.1:1/c|30|False"});
        QCOMPARE(dialog.dbSites().State(), TStoreDataSetState::dsBrowse);
    }

    void theSitesDialogWithoutAChangeMakesNoSiteDue() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 60);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 60);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        updateNews(main);
        QCOMPARE(main.NewsItems().Count(), 5);
        for (bool ok : {true, false}) {
            whenModalShows([&](QWidget* modal) {
                if (ok) static_cast<QDialog*>(modal)->accept();
                else static_cast<QDialog*>(modal)->reject();
            });
            main.ConfigClick();
            updateNews(main);
            QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("0 sites, 0 new items"));
            QCOMPARE(siteNodes(main.tvList()), (QStringList{"Courier (3)", "Tribune (2)"}));
        }
        // A site whose address changed is a new one: it is due at once; the other is not. Its
        // kept news go with its row, so its items are not new.
        whenModalShows([&](QWidget*) {
            TStoreTable& table = windows.dlgOptions->dbSites();
            table.MoveLast();
            table.StartEdit();
            table.FieldNamed("URL").SetTextValue(feeds.url("tribune.xml?again"));
            windows.dlgOptions->accept();
        });
        main.ConfigClick();
        updateNews(main);
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("1 site, 0 new items"));
        QCOMPARE(treeLines(main.tvList()),
                 (QStringList{"Wispel #0", "  Courier (3) #1", "    Same title #2", "    Bad link #3",
                              "    Line break #4", "  Tribune (2) #5", "    Same title #6",
                              "    Snow on the pass #7"}));
    }

    void eachUpdateReadsTheTableThatAnotherProgramChanged() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 60);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        updateNews(main);
        QCOMPARE(main.NewsItems().Count(), 3);

        // Another process adds a site and turns the first one off.
        QCOMPARE(runSites(folder, {"add", "Tribune", QString::fromStdString(feeds.url("tribune.xml"))}), QStringLiteral("2\n"));
        updateNews(main);
        QCOMPARE(siteNodes(main.tvList()), (QStringList{"Courier (3)", "Tribune (2)"}));
        runSites(folder, {"set", "1", "Active=False", "Update=0"});
        runSites(folder, {"set", "2", "Update=0"});
        updateNews(main);
        QCOMPARE(siteNodes(main.tvList()), QStringList{"Tribune (2)"});
        runSites(folder, {"set", "1", "Active=True"});
        updateNews(main);
        QCOMPARE(siteNodes(main.tvList()), (QStringList{"Courier (3)", "Tribune (2)"}));

        // The dialog opens on the stored values and saves over them without a conflict.
        runSites(folder, {"set", "1", "Name=Herald"});
        whenModalShows([&](QWidget*) {
            TdlgOptions& dialog = *windows.dlgOptions;
            QCOMPARE(dialog.DBEdit1()->text(), QStringLiteral("Herald"));
            QCOMPARE(dialog.lvSites()->topLevelItem(0)->text(0), QStringLiteral("Herald"));
            dialog.DBEdit1()->setFocus();
            dialog.DBEdit1()->end(false);
            QTest::keyClicks(dialog.DBEdit1(), "2");
            dialog.accept();
        });
        main.ConfigClick();
        QCOMPARE(folder.rows()[0], "Herald2|" + feeds.url("courier.xml") + "|0|True");
    }

    void anItemThatCannotBeOpenedSaysWhichAndWhyInTheStatusBar() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        updateNews(main);
        RecordingOpener opener;
        select(main.tvList(), nodeAt(main.tvList(), {0, 1}));  // "Bad link": javascript:
        main.tvListDblClick();
        QVERIFY(opener.opened.empty());
        QCOMPARE(main.statusBar()->currentMessage(),
                 QStringLiteral("Cannot open \"javascript:alert(1)\": not a web or mail link"));
        opener.desktopOpens = false;
        select(main.tvList(), nodeAt(main.tvList(), {0, 0}));
        main.tvListDblClick();
        QCOMPARE(main.statusBar()->currentMessage(),
                 QStringLiteral("Cannot open \"http://127.0.0.1/courier/1\": no program to open it "
                                "was found"));
        opener.desktopOpens = true;
        main.statusBar()->clearMessage();
        main.tvListDblClick();
        QCOMPARE(main.statusBar()->currentMessage(), QString());
        // The tree shows the stored name with the items not opened yet; the site node's
        // tooltip the feed's own title and its address.
        QCOMPARE(nodeAt(main.tvList(), {0})->text(0), QStringLiteral("Courier (1)"));
        const QString tip = nodeAt(main.tvList(), {0})->toolTip(0);
        QVERIFY2(tip.contains("Courier Daily<br>" + QString::fromStdString(feeds.url("courier.xml"))),
                 qPrintable(tip));
    }

    void aTableThatCannotBeReadIsShownAndTheNewsListStillExists() {
        SitesFolder folder;
        QFile bad(QString::fromStdString(folder.file("Sites.DAT")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray(64, 'x'));
        bad.close();
        RecordingErrorBox box;
        TfrmMain main(folder.path());
        QCOMPARE(box.texts.size(), size_t(1));
        QVERIFY2(box.texts[0].startsWith("Table Engine Error # "), qPrintable(box.texts[0]));
        QCOMPARE(main.NewsItems().Count(), 0);
        QCOMPARE(treeLines(main.tvList()), QStringList{"Wispel #0"});
        // The design-time source stays the only one.
        QCOMPARE(main.rssSources()->RSSSourceList().Count(), 1);
        QCOMPARE(main.rssSources()->RSSSourceList()[0]->Site, std::string(kDesignTimeSourceSite));
    }

    void exitClosesTheWindow() {
        SitesFolder folder;
        TWispelWindows windows = CreateWindows(folder.path());
        windows.frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(windows.frmMain.get()));
        windows.frmMain->findChild<QToolButton*>("btnExit")->click();
        QVERIFY(!windows.frmMain->isVisible());
    }
};

WISPEL_QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
