// The main window with kept news, against real tables and a real local server: start-up
// shows the stored items with counts, bold unread items and dates; reading marks items in
// the table and the tree; Next unread walks across the sites; a changed feed updated twice
// keeps its read flags and shows each item once; a deleted site takes its news along; and
// the window and wispel-fetch updating one folder at once lose nothing.

#include <QDateTime>
#include <QFile>
#include <QFontMetrics>
#include <QLocale>
#include <QProcess>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>

#include <map>
#include <typeinfo>

#include "app/DBNavigator.h"
#include "app/Startup.h"
#include "feeds/ItemsTable.h"
#include "tests/app/AppTest.h"
#include "tests/app/SitesFixture.h"
#include "tests/support/TempFolder.h"

using namespace wispel;
using namespace wispel::test;

namespace {

struct Kept {
    const char* key;
    const char* title;
    std::int64_t unixSeconds;  // 0: no date
};

// Merges `items` into site `site` of the folder's kept news.
void keep(const SitesFolder& folder, std::int32_t site, std::initializer_list<Kept> items) {
    TRSSListedItemCollection feed(typeid(TRSSListedItem));
    for (const Kept& k : items) {
        TRSSListedItem* item = feed.Add();
        item->Key = k.key;
        item->Title = k.title;
        item->Link = std::string("http://127.0.0.1/") + k.key;
        item->Description = std::string("About ") + k.title;
        if (k.unixSeconds != 0) item->Date = k.unixSeconds;
    }
    TItemsTable(folder.path()).Merge(site, feed);
}

// The kept news as "site:key" with "*" after the read ones, in the table's order.
QStringList stored(const SitesFolder& folder) {
    QStringList lines;
    TItemsTable(folder.path()).ForEachItem([&](const TStoredItem& item) {
        lines << QString::number(item.Site) + ":" + QString::fromStdString(item.Key) + (item.Read ? "*" : "");
    });
    return lines;
}

// The tree below the root: sites as their caption, items as "  title | date", with "!"
// after a bold node.
QStringList shown(TfrmMain& main) {
    QStringList lines;
    QTreeWidgetItem* root = main.RootNode();
    auto line = [](QTreeWidgetItem* node, const QString& text) {
        return text + (node->font(0).bold() ? "!" : "");
    };
    for (int s = 0; s < root->childCount(); ++s) {
        QTreeWidgetItem* site = root->child(s);
        lines << line(site, site->text(0));
        for (int i = 0; i < site->childCount(); ++i) {
            QTreeWidgetItem* item = site->child(i);
            lines << line(item, "  " + item->text(0) + (item->text(1).isEmpty() ? "" : " | " + item->text(1)));
        }
    }
    return lines;
}

QTreeWidgetItem* nodeAt(TfrmMain& main, int site, int item = -1) {
    QTreeWidgetItem* node = main.RootNode()->child(site);
    return item < 0 ? node : node->child(item);
}

QString localDate(std::int64_t unixSeconds) {
    const QDateTime at = QDateTime::fromSecsSinceEpoch(unixSeconds);
    return QLocale().toString(at.date(), QLocale::ShortFormat);
}

// An RSS feed of items (guid, title, RFC 822 date).
std::string rss(std::initializer_list<Kept> items) {
    std::string text = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Changing</title>\n";
    for (const Kept& k : items) {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(k.unixSeconds, Qt::UTC);
        text += std::string("<item><guid>") + k.key + "</guid><title>" + k.title + "</title><link>http://127.0.0.1/" +
                k.key + "</link><pubDate>" +
                QLocale::c().toString(at, "ddd, dd MMM yyyy HH:mm:ss +0000").toStdString() + "</pubDate></item>\n";
    }
    return text + "</channel></rss>\n";
}

// A file rewritten within the second the server last sent it must not look unchanged to a
// request with If-Modified-Since: its time moves on by a minute each time.
void writeFile(const std::string& path, const std::string& content) {
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content.data(), static_cast<qint64>(content.size()));
    // Written out first: bytes still buffered would set the time to now when they go.
    QVERIFY(file.flush());
    static QDateTime stamp = QDateTime::currentDateTime();
    stamp = stamp.addSecs(60);
    QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
}

void updateNews(TfrmMain& main) {
    main.btnUpdateClick();
    QTRY_VERIFY_WITH_TIMEOUT(!main.Updating(), 60000);
}

// A restart: a new window on the folder shows what `main` shows.
void expectANewWindowShowsTheSame(const SitesFolder& folder, TfrmMain& main) {
    TWispelWindows again = CreateWindows(folder.path());
    QCOMPARE(shown(*again.frmMain), shown(main));
}

constexpr std::int64_t kMay2020 = 1'589'700'000;  // 2020-05-17
constexpr std::int64_t kJune2020 = 1'591'000'000;
constexpr std::int64_t kJuly2020 = 1'594'000'000;

}  // namespace

class KeptNewsTest : public QObject {
    Q_OBJECT

private slots:
    void startUpShowsTheKeptNewsWithCountsBoldAndDates() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1:1/c", 0);       // ID 1
        folder.addSite("Off", "http://127.0.0.1:1/o", 0, false);    // ID 2, not shown
        folder.addSite("Tribune", "http://127.0.0.1:1/t", 0);       // ID 3
        folder.addSite("Nothing", "http://127.0.0.1:1/n", 0);       // ID 4, no news yet
        const std::int64_t now = QDateTime::currentSecsSinceEpoch();
        keep(folder, 1, {{"c-old", "Older", kMay2020}, {"c-new", "Newest", now}, {"c-none", "Undated", 0}});
        keep(folder, 2, {{"o", "Hidden", kMay2020}});
        keep(folder, 3, {{"t1", "Read one", kJune2020}, {"t2", "Unread one", kJuly2020}});
        TItemsTable(folder.path()).SetRead(3, "t1", true);

        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        const QString todayTime =
            QLocale().toString(QDateTime::fromSecsSinceEpoch(now).time(), QLocale::ShortFormat);
        QCOMPARE(shown(main), (QStringList{"Courier (3)!", "  Newest | " + todayTime + "!",
                                           "  Older | " + localDate(kMay2020) + "!", "  Undated!",
                                           "Tribune (1)!", "  Unread one | " + localDate(kJuly2020) + "!",
                                           "  Read one | " + localDate(kJune2020)}));
        QVERIFY(toolTipShown(main.tvList(), nodeAt(main, 0, 1)).contains("About Older"));
        QCOMPARE(main.NewsItems().Count(), 5);
        QCOMPARE(QString::fromStdString(main.NewsItems()[4]->Link), QStringLiteral("http://127.0.0.1/t1"));
        QVERIFY(nodeAt(main, 0)->isExpanded());
        // The date column is wide enough for its texts, also in bold.
        const QFontMetrics bold(nodeAt(main, 0, 0)->font(1));
        for (const QString& date : {todayTime, localDate(kMay2020)})
            QVERIFY2(bold.horizontalAdvance(date) < main.tvList()->columnWidth(1), qPrintable(date));
    }

    void readingMarksTheTableAndTheTree() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1:1/c", 0);
        folder.addSite("Tribune", "http://127.0.0.1:1/t", 0);
        keep(folder, 1, {{"a", "A", kJuly2020}, {"b", "B", kJune2020}, {"c", "C", kMay2020}});
        keep(folder, 2, {{"d", "D", kJuly2020}, {"e", "E", kJune2020}});
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        QTreeWidget* tree = main.tvList();

        // Selected for a moment: read.
        tree->setCurrentItem(nodeAt(main, 0, 1));
        QTRY_COMPARE(stored(folder), (QStringList{"1:a", "1:b*", "1:c", "2:d", "2:e"}));
        QCOMPARE(nodeAt(main, 0)->text(0), QStringLiteral("Courier (2)"));
        QVERIFY(!nodeAt(main, 0, 1)->font(0).bold());
        // Selected and left at once: still unread.
        main.ReadDelay = 60000;
        tree->setCurrentItem(nodeAt(main, 0, 2));
        tree->setCurrentItem(nodeAt(main, 0));
        QCOMPARE(stored(folder)[2], QStringLiteral("1:c"));

        const struct {
            int site, item;  // the current node (item -1: the site node)
            void (TfrmMain::*command)();
            QStringList table;
            QStringList captions;
        } steps[] = {
            {0, 0, &TfrmMain::MarkReadClick, {"1:a*", "1:b*", "1:c", "2:d", "2:e"}, {"Courier (1)", "Tribune (2)"}},
            {0, 1, &TfrmMain::MarkUnreadClick, {"1:a*", "1:b", "1:c", "2:d", "2:e"}, {"Courier (2)", "Tribune (2)"}},
            {1, 0, &TfrmMain::MarkSiteReadClick, {"1:a*", "1:b", "1:c", "2:d*", "2:e*"}, {"Courier (2)", "Tribune"}},
            {1, 1, &TfrmMain::MarkUnreadClick, {"1:a*", "1:b", "1:c", "2:d*", "2:e"}, {"Courier (2)", "Tribune (1)"}},
            {0, -1, &TfrmMain::MarkSiteReadClick, {"1:a*", "1:b*", "1:c*", "2:d*", "2:e"}, {"Courier", "Tribune (1)"}},
            {0, 0, &TfrmMain::MarkUnreadClick, {"1:a", "1:b*", "1:c*", "2:d*", "2:e"}, {"Courier (1)", "Tribune (1)"}},
            {0, -1, &TfrmMain::MarkAllReadClick, {"1:a*", "1:b*", "1:c*", "2:d*", "2:e*"}, {"Courier", "Tribune"}},
        };
        for (const auto& step : steps) {
            tree->setCurrentItem(nodeAt(main, step.site, step.item));
            (main.*step.command)();
            QCOMPARE(stored(folder), step.table);
            QCOMPARE((QStringList{nodeAt(main, 0)->text(0), nodeAt(main, 1)->text(0)}), step.captions);
        }
        QVERIFY(!nodeAt(main, 0)->font(0).bold());

        // Opening an item reads it; a new window shows the same.
        main.MarkUnreadClick();  // on the site node: nothing
        tree->setCurrentItem(nodeAt(main, 1, 1));
        main.MarkUnreadClick();
        {
            RecordingOpener opener;
            main.tvListDblClick();
            QCOMPARE(opener.opened, std::vector<QString>{"http://127.0.0.1/e"});
        }
        QCOMPARE(stored(folder).last(), QStringLiteral("2:e*"));
        expectANewWindowShowsTheSame(folder, main);
    }

    void nextUnreadWalksAcrossTheSitesAndWraps() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1:1/c", 0);
        folder.addSite("Tribune", "http://127.0.0.1:1/t", 0);
        keep(folder, 1, {{"a1", "A1", kJuly2020}, {"a2", "A2", kJune2020}, {"a3", "A3", kMay2020}});
        keep(folder, 2, {{"b1", "B1", kJuly2020}, {"b2", "B2", kJune2020}});
        TItemsTable(folder.path()).SetRead(1, "a1", true);
        TItemsTable(folder.path()).SetRead(2, "b2", true);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.ReadDelay = 60000;
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.tvList()->setFocus();
        QStringList visited;
        for (const QKeySequence& key : {QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_N),
                                        QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_N)}) {
            QTest::keySequence(main.tvList(), key);
            visited << main.tvList()->currentItem()->text(0);
        }
        QCOMPARE(visited, (QStringList{"A2", "A3", "B1", "A2"}));
        // From a site node: its first unread item.
        main.tvList()->setCurrentItem(nodeAt(main, 1));
        main.NextUnreadClick();
        QCOMPARE(main.tvList()->currentItem(), nodeAt(main, 1, 0));
        main.MarkAllReadClick();
        main.NextUnreadClick();
        QCOMPARE(main.tvList()->currentItem(), nodeAt(main, 1, 0));
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("No unread news"));
    }

    void twoUpdatesOfAChangedFeedKeepReadFlagsAndShowEachItemOnce() {
        TempFolder served("wispel-served");
        writeFile(served.path() + "feed.xml",
                  rss({{"a", "A", kMay2020}, {"b", "B", kJune2020}, {"c", "C", kJuly2020}}));
        LocalHttpServer server(served.path());
        SitesFolder folder;
        folder.addSite("Changing", server.url("/feed.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.ReadDelay = 60000;
        updateNews(main);
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("1 site, 3 new items"));
        main.tvList()->setCurrentItem(nodeAt(main, 0, 1));  // B
        main.MarkReadClick();
        QTreeWidgetItem* site = nodeAt(main, 0);

        // a left the feed, b has a new title, d is new.
        writeFile(served.path() + "feed.xml",
                  rss({{"d", "D", kJuly2020 + 100}, {"c", "C", kJuly2020}, {"b", "B again", kJune2020}}));
        updateNews(main);
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("1 site, 1 new item"));
        QCOMPARE(nodeAt(main, 0), site);  // the same node, its items in place
        QCOMPARE(main.tvList()->currentItem()->text(0), QStringLiteral("B again"));
        const QStringList expected{"Changing (3)!",
                                   "  D | " + localDate(kJuly2020 + 100) + "!",
                                   "  C | " + localDate(kJuly2020) + "!",
                                   "  B again | " + localDate(kJune2020),
                                   "  A | " + localDate(kMay2020) + "!"};
        QCOMPARE(shown(main), expected);
        QCOMPARE(stored(folder), (QStringList{"1:d", "1:c", "1:b*", "1:a"}));
        QCOMPARE(main.NewsItems().Count(), 4);

        // The feed goes: the site keeps its news and shows why.
        const std::string address = server.url("/feed.xml");
        QVERIFY(QFile::remove(QString::fromStdString(served.path() + "feed.xml")));
        updateNews(main);
        QCOMPARE(shown(main), expected);
        QVERIFY(!site->icon(0).isNull());
        QVERIFY(site->toolTip(0).contains(QString::fromStdString(address)));
    }

    void theWindowAndTheFetchToolUpdatingOneFolderAtOnceLoseNothing() {
        constexpr int kSites = 8;
        constexpr int kItems = 30;
        TempFolder served("wispel-served");
        const auto writeFeeds = [&](int items) {
            for (int s = 1; s <= kSites; ++s) {
                std::string feed = "<rss version=\"2.0\"><channel><title>Feed</title>";
                for (int i = 0; i < items; ++i) {
                    const std::string key = std::to_string(s) + "-" + std::to_string(i);
                    feed += "<item><guid>" + key + "</guid><title>Item " + key + "</title></item>";
                }
                writeFile(served.path() + std::to_string(s) + ".xml", feed + "</channel></rss>");
            }
        };
        writeFeeds(kItems);
        LocalHttpServer server(served.path());
        SitesFolder folder;
        for (int s = 1; s <= kSites; ++s) folder.addSite("Site " + std::to_string(s), server.url("/" + std::to_string(s) + ".xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        updateNews(main);
        main.tvList()->setCurrentItem(nodeAt(main, 0));
        main.MarkSiteReadClick();

        writeFeeds(kItems + 5);
        QProcess fetch;
        fetch.start(QStringLiteral(WISPEL_BINARY_DIR "/bin/wispel-fetch"),
                    {"--sites", QString::fromStdString(folder.path())});
        QVERIFY(fetch.waitForStarted());
        updateNews(main);
        QVERIFY(fetch.waitForFinished(120000));
        QCOMPARE(fetch.exitCode(), 0);

        std::map<QString, int> times;  // each item once, the first site's old ones still read
        for (const QString& line : stored(folder)) ++times[line];
        QCOMPARE(times.size(), size_t(kSites * (kItems + 5)));
        for (const auto& [line, count] : times) QCOMPARE(count, 1);
        for (int i = 0; i < kItems + 5; ++i) {
            const QString key = "1:1-" + QString::number(i);
            QVERIFY2(times.count(i < kItems ? key + "*" : key), qPrintable(key));
        }
        QVERIFY(TItemsTable(folder.path()).Check().empty());
        // The window's next update shows each item once as well, and the same as a new
        // window, whether its server answers with the feed or with "not modified" for what
        // the other process merged after the window's last look.
        updateNews(main);
        for (int s = 0; s < kSites; ++s) QCOMPARE(nodeAt(main, s)->childCount(), kItems + 5);
        QCOMPARE(nodeAt(main, 0)->text(0), QStringLiteral("Site 1 (5)"));
        expectANewWindowShowsTheSame(folder, main);
    }

    void deletingASiteDeletesItsNewsAndItsNode() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1:1/c", 0);
        folder.addSite("Tribune", "http://127.0.0.1:1/t", 0);
        keep(folder, 1, {{"a", "A", kJuly2020}});
        keep(folder, 2, {{"b", "B", kJuly2020}});
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        whenModalShows([&](QWidget*) {
            TdlgOptions& dialog = *windows.dlgOptions;
            dialog.dbNav()->ConfirmDelete = [] { return true; };
            dialog.dbNav()->Button(TNavigateBtn::nbDelete)->click();  // on the first row
            dialog.accept();
        });
        main.ConfigClick();
        QCOMPARE(stored(folder), QStringList{"2:b"});
        QCOMPARE(shown(main), (QStringList{"Tribune (1)!", "  B | " + localDate(kJuly2020) + "!"}));
        QCOMPARE(main.NewsItems().Count(), 1);
    }
};

WISPEL_QTEST_MAIN(KeptNewsTest)
#include "KeptNewsTest.moc"
