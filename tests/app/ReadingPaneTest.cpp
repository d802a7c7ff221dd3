// The reading pane beside the tree, and the window's size, splitter and columns kept from
// one run to the next: real windows on kept news, offscreen.

#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>

#include <typeinfo>

#include "app/ReadingPane.h"
#include "app/Startup.h"
#include "feeds/ItemsTable.h"
#include "tests/app/AppTest.h"
#include "tests/app/SitesFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

struct Story {
    const char* key;
    std::string description, content;
};

// Keeps `stories` as the news of site 1 ("Courier"), dated 2020-07-06 and written by Ann.
void keepStories(SitesFolder& folder, std::initializer_list<Story> stories) {
    folder.addSite("Courier", "http://127.0.0.1:1/c", 0);
    TRSSListedItemCollection feed(typeid(TRSSListedItem));
    for (const Story& s : stories) {
        TRSSListedItem* item = feed.Add();
        item->Key = s.key;
        item->Title = std::string("Story ") + s.key;
        item->Link = std::string("http://127.0.0.1/") + s.key;
        item->Description = s.description;
        item->Content = s.content;
        item->Author = "Ann Example";
        item->Date = 1'594'000'000;
    }
    TItemsTable(folder.path()).Merge(1, feed);
}

}  // namespace

class ReadingPaneTest : public QObject {
    Q_OBJECT

private slots:
    void thePaneShowsTheSelectedItemAsSafeText() {
        SitesFolder folder;
        keepStories(folder,
                    {{"rich", "Short description",
                      "<p>First paragraph with <a href=\"http://127.0.0.1/more\" onclick=\"x()\">a link</a>.</p>"
                      "<ul><li>One</li><li>Two</li></ul><script>alert(1)</script>"
                      "<img src=\"http://127.0.0.1:1/pixel.png\" alt=\"[map]\"><p>Second</p>"},
                     {"plain", "Line one\nLine two, where 3 < 4 & 5 > 2", ""}});
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.ReadDelay = 60000;
        TReadingPane* pane = main.txtItem();
        QTreeWidgetItem* site = main.RootNode()->child(0);

        main.tvList()->setCurrentItem(site->child(0));  // "rich": the full text, not the description
        const QString shown = pane->toPlainText();
        for (const char* part : {"Story rich", "Courier", "Ann Example", "First paragraph with a link.", "One",
                                 "Two", "[map]", "Second"}) {
            QVERIFY2(shown.contains(part), qPrintable(part + (" in " + shown)));
        }
        QVERIFY(!shown.contains("alert") && !shown.contains("Short description"));
        const QString html = pane->toHtml();
        QVERIFY(html.contains("href=\"http://127.0.0.1/more\"") && html.contains("href=\"http://127.0.0.1/rich\""));
        QVERIFY(!html.contains("onclick") && !html.contains("pixel.png"));
        QVERIFY(!pane->openLinks() && !pane->openExternalLinks());
        // The tooltip stays the description.
        QVERIFY(toolTipShown(main.tvList(), site->child(0)).contains("Short description"));

        // Links go through the opener, which refuses what is not a web or mail link.
        {
            RecordingOpener opener;
            emit pane->anchorClicked(QUrl("http://127.0.0.1/more"));
            QCOMPARE(opener.opened, std::vector<QString>{"http://127.0.0.1/more"});
            emit pane->anchorClicked(QUrl("file:///etc/passwd"));
            QCOMPARE(opener.opened.size(), size_t(1));
            QVERIFY(main.statusBar()->currentMessage().startsWith("Cannot open \"file:///etc/passwd\""));
        }

        // A plain description stays plain, its lines as lines.
        main.tvList()->setCurrentItem(site->child(1));
        QVERIFY2(pane->toPlainText().endsWith("Line one\nLine two, where 3 < 4 & 5 > 2"),
                 qPrintable(pane->toPlainText()));
        // A site node or the root: an empty pane.
        main.tvList()->setCurrentItem(site);
        QCOMPARE(pane->toPlainText(), QString());
    }

    void theWindowOpensAtTwoThirdsOfTheScreenThenAsItWasLeft() {
        SitesFolder folder;
        keepStories(folder, {{"a", "A", ""}});
        QSize size;
        QList<int> split;
        {
            TWispelWindows windows = CreateWindows(folder.path());
            TfrmMain& main = *windows.frmMain;
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            const QSize screen = main.screen()->availableGeometry().size();
            QCOMPARE(main.size(), (screen * 2 / 3).expandedTo(QSize(460, 480)).boundedTo(screen));
            auto* splitter = main.findChild<QSplitter*>("splNews");
            QVERIFY(splitter->sizes()[0] > 0 && splitter->sizes()[1] > splitter->sizes()[0]);
            main.resize(screen.width() / 2, screen.height() / 2);
            splitter->setSizes({splitter->width() / 2, splitter->width() - splitter->width() / 2});
            main.tvList()->header()->resizeSection(1, 151);
            size = main.size();
            split = splitter->sizes();
            main.close();
        }
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.size(), size);
        QCOMPARE(main.findChild<QSplitter*>("splNews")->sizes(), split);
        QCOMPARE(main.tvList()->columnWidth(1), 151);
    }

    // The first start at a narrow and at a wide window: the titles get room beside the
    // date as far as the pane keeps the larger share, and a window made wider widens the
    // pane, not the tree.
    void theFirstSplitLeavesTheTitlesRoom() {
        const struct {
            int width;
            int titleCharacters;  // at least this many average characters of a title show
        } cases[] = {{640, 16}, {1600, 28}};
        for (const auto& c : cases) {
            QSettings().clear();  // a first start
            SitesFolder folder;
            keepStories(folder, {{"a", "A", ""}});
            TWispelWindows windows = CreateWindows(folder.path());
            TfrmMain& main = *windows.frmMain;
            main.resize(c.width, 480);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            auto* splitter = main.findChild<QSplitter*>("splNews");
            const QList<int> sizes = splitter->sizes();
            QVERIFY2(sizes[0] < sizes[1], qPrintable(QString::number(c.width)));
            const int title = main.tvList()->header()->sectionSize(0) - 3 * main.tvList()->indentation();
            QVERIFY2(title >= c.titleCharacters * main.tvList()->fontMetrics().averageCharWidth(),
                     qPrintable(QString::number(c.width) + ": " + QString::number(title)));
            main.resize(c.width + 200, 480);
            QTRY_COMPARE(splitter->sizes()[1], sizes[1] + 200);
            QCOMPARE(splitter->sizes()[0], sizes[0]);
            main.close();
        }
    }
};

WISPEL_QTEST_MAIN(ReadingPaneTest)
#include "ReadingPaneTest.moc"
