// The main window against a real sites table and a real local HTTP server: start-up with
// and without a table, the update command with its tree and news list, a failing source,
// the double-click and Enter, and the configuration command.

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTreeWidget>
#include <QToolBar>
#include <QToolButton>

#include <unistd.h>

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

const QStringList kThreeSitesTree = {
    "Wispel #0",
    "  Courier #1",
    "    Same title #2",
    "    Bad link #3",
    "    Line break #4",
    "  Tribune #5",
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
        QCOMPARE(sourceLines(windows.frmMain->rssSources()),
                 (QStringList{"Courier http://127.0.0.1:1/c 30", "Tribune http://127.0.0.1:1/t 0"}));
        QVERIFY(!QFile::exists(elsewhere.filePath("Sites.DAT")));
        QCOMPARE(windows.dlgOptions->dbSites().DataFilePath(), folder.file("Sites.DAT"));
    }

    void theWindowHasItsCommandsHintsAndMenus() {
        SitesFolder folder;
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        const struct {
            const char* button;
            const char* hint;
        } buttons[] = {{"btnUpdate", "Update News"}, {"btnConfig", "Configuration"}, {"btnExit", "Exit"}};
        for (const auto& b : buttons) {
            auto* button = main.findChild<QToolButton*>(b.button);
            QVERIFY2(button, b.button);
            QCOMPARE(button->toolTip(), QString(b.hint));
            QVERIFY(!button->icon().isNull());
        }
        QStringList menus;
        for (QAction* menu : main.menuBar()->actions()) {
            menus << menu->text();
            for (QAction* item : menu->menu()->actions()) menus << "  " + item->text();
        }
        QCOMPARE(menus, (QStringList{"&File", "  E&xit", "&Tools", "  &Options", "&Help", "  &About"}));
        QVERIFY(!main.windowIcon().isNull());
    }

    void updateBuildsTheTreeAndTheNewsList() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
        folder.addSite("Quiet", feeds.url("empty.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        QStringList progress;  // what the status bar said while the command ran, and whether busy
        const auto listening = connect(main.statusBar(), &QStatusBar::messageChanged, this,
                                       [&](const QString& text) {
            progress << text + (QApplication::overrideCursor() ? " (busy)" : "");
        });
        main.btnUpdateClick();
        disconnect(listening);
        QCOMPARE(progress.first(), QStringLiteral("Courier: 0 bytes received, sites done: 0 (busy)"));
        QVERIFY(progress.filter(QRegularExpression(
                                    "^Tribune: [1-9][0-9]* bytes received, sites done: 2 \\(busy\\)$"))
                    .size() == 1);
        QCOMPARE(progress.last(), QStringLiteral("3 sites, 5 items"));
        QCOMPARE(treeLines(main.tvList()), kThreeSitesTree);
        QCOMPARE(newsLines(main.NewsItems()),
                 (QStringList{"Same title | http://127.0.0.1/courier/1 | 2",
                              "Bad link | javascript:alert(1) | 3",
                              "Line\nbreak | \n        http://127.0.0.1/courier/3\n       | 4",
                              "Same title | http://127.0.0.1/tribune/1 | 6",
                              "Snow on the pass | http://127.0.0.1/tribune/2 | 7"}));
        QVERIFY(nodeAt(main.tvList(), {0})->isExpanded());
        // The description is the tooltip, as text: its markup is shown, not obeyed.
        const QString tip = nodeAt(main.tvList(), {0, 0})->toolTip(0);
        QVERIFY2(tip.contains("First &lt;b&gt;story&lt;/b&gt; of the day"), qPrintable(tip));
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("3 sites, 5 items"));
        QVERIFY(!QApplication::overrideCursor());

        // A second update starts from nothing again (frequency 0: every site is due).
        main.btnUpdateClick();
        QCOMPARE(treeLines(main.tvList()), kThreeSitesTree);
        QCOMPARE(main.NewsItems().Count(), 5);
    }

    void aSecondUpdateWithinTheIntervalShowsTheRootAlone() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 60);
        TWispelWindows windows = CreateWindows(folder.path());
        windows.frmMain->btnUpdateClick();
        QCOMPARE(windows.frmMain->NewsItems().Count(), 3);
        windows.frmMain->btnUpdateClick();
        QCOMPARE(treeLines(windows.frmMain->tvList()), QStringList{"Wispel #0"});
        QCOMPARE(windows.frmMain->NewsItems().Count(), 0);
    }

    void aFailingSourceEndsTheUpdateWithTheErrorBoxAndKeepsTheTreeSoFar() {
        SitesFolder folder;
        FeedServer feeds;
        const int refused = unusedLoopbackPort();
        folder.addSite("Courier", feeds.url("courier.xml"), 60);
        folder.addSite("Down", "http://127.0.0.1:" + std::to_string(refused) + "/feed.xml", 0);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        RecordingErrorBox box;
        main.findChild<QToolButton*>("btnUpdate")->click();  // through the action and its guard
        QCOMPARE(box.texts.size(), size_t(1));
        QVERIFY2(box.texts[0].contains("10061"), qPrintable(box.texts[0]));
        QCOMPARE(treeLines(main.tvList()).mid(0, 5), kThreeSitesTree.mid(0, 5));
        QCOMPARE(treeLines(main.tvList()).size(), 5);
        QCOMPARE(main.NewsItems().Count(), 3);
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("1 site, 3 items, 1 failed"));
        QVERIFY(!QApplication::overrideCursor());
        // The window goes on taking commands; the failing source is due again, the one
        // fetched before it is not.
        main.findChild<QToolButton*>("btnUpdate")->click();
        QCOMPARE(box.texts.size(), size_t(2));
        QCOMPARE(treeLines(main.tvList()), QStringList{"Wispel #0"});
    }

    void doubleClickAndEnterOpenExactlyTheItemsLink() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.show();
        main.btnUpdateClick();
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
        QCOMPARE(table.FieldNamed("Name").TextValue(), std::string("Courier"));  // the first row
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

    void everyActiveSiteIsDueAgainAfterTheConfiguration() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 60);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.btnUpdateClick();
        whenModalShows([&](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
        main.ConfigClick();
        main.btnUpdateClick();
        QCOMPARE(main.NewsItems().Count(), 3);
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
