// Pictures of the three windows, written as PNG files into the build folder
// (screenshots/<window>-<scale>x.png) so they can be looked at, and a check that no
// caption, label or button text is cut: each such control is at least as large as its
// text needs. The suite runs once at scale 1 and once with QT_SCALE_FACTOR=2.

#include <QAbstractButton>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>
#include <typeinfo>

#include "app/AboutDialog.h"
#include "app/DBNavigator.h"
#include "app/FeedChooser.h"
#include "app/FeedSearchDialog.h"
#include "app/Startup.h"
#include "feeds/ItemsTable.h"
#include "tests/app/AppTest.h"
#include "tests/app/SitesFixture.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempFolder.h"

using namespace wispel;
using namespace wispel::test;

namespace {

QString screenshotPath(const QString& window) {
    const QString dir = QStringLiteral(WISPEL_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    const int scale = static_cast<int>(std::lround(qApp->devicePixelRatio()));
    return dir + "/" + window + "-" + QString::number(scale) + "x.png";
}

void saveShot(QWidget& window, const QString& name) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.grab().save(screenshotPath(name)));
}

// Every text-bearing control of `window` has the room its text asks for.
void expectNoTextCut(QWidget& window) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty()) continue;
        if (label->wordWrap()) {
            QVERIFY2(label->heightForWidth(label->contentsRect().width()) <=
                         label->contentsRect().height(),
                     qPrintable(label->objectName()));
        } else {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
            QVERIFY2(label->height() >= label->sizeHint().height(), qPrintable(label->objectName()));
        }
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty()) continue;
        QVERIFY2(button->width() >= button->minimumSizeHint().width(),
                 qPrintable(button->objectName() + " " + button->text()));
        QVERIFY2(button->height() >= button->minimumSizeHint().height(),
                 qPrintable(button->objectName() + " " + button->text()));
    }
    for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
        if (!edit->isVisible()) continue;
        QVERIFY2(edit->height() >= edit->minimumSizeHint().height(), qPrintable(edit->objectName()));
    }
}

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void theThreeWindows() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0, false);
        folder.addSite("Quiet", feeds.url("empty.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());

        windows.frmMain->btnUpdateClick();
        QTRY_VERIFY_WITH_TIMEOUT(!windows.frmMain->Updating(), 60000);
        windows.frmMain->tvList()->setCurrentItem(windows.frmMain->RootNode()->child(0)->child(0));
        saveShot(*windows.frmMain, "main-window");
        expectNoTextCut(*windows.frmMain);

        // An item whose link is not safe to open: the status bar says so.
        {
            RecordingOpener opener;
            windows.frmMain->tvList()->setCurrentItem(windows.frmMain->RootNode()->child(0)->child(1));
            windows.frmMain->tvListDblClick();
            QStatusBar* bar = windows.frmMain->statusBar();
            QVERIFY(bar->currentMessage().startsWith("Cannot open"));
            QVERIFY2(bar->fontMetrics().horizontalAdvance(bar->currentMessage()) < bar->width(),
                     qPrintable(bar->currentMessage()));
            saveShot(*windows.frmMain, "main-window-not-opened");
        }

        // The dialog with a list longer than it shows.
        for (int i = 4; i <= 14; ++i) {
            folder.addSite("Site " + std::to_string(i), "http://127.0.0.1/feeds/" + std::to_string(i) + ".xml",
                           i % 3 == 0 ? std::optional<int>(60 * i) : std::nullopt, i % 4 != 0);
        }
        windows.dlgOptions->ShowStoredRows();
        windows.dlgOptions->dbSites().MoveNext();  // on the second row, an inactive site
        saveShot(*windows.dlgOptions, "sites-dialog");
        expectNoTextCut(*windows.dlgOptions);
        for (int i = 0; i < 6; ++i) {
            auto* button = windows.dlgOptions->dbNav()->Button(static_cast<TNavigateBtn>(i));
            QVERIFY(button->width() >= button->minimumSizeHint().width());
        }
        // The question for an address typed without its scheme.
        {
            RecordingErrorBox refusals;
            TStoreTable& table = windows.dlgOptions->dbSites();
            table.StartInsert();
            table.FieldNamed("Name").SetTextValue("Local");
            table.FieldNamed("URL").SetTextValue("127.0.0.1:8765/feeds/evening-edition.xml");
            whenModalShows([&](QWidget* box) {
                QVERIFY(box->grab().save(screenshotPath("address-question")));
                expectNoTextCut(*box);
                static_cast<QDialog*>(box)->reject();
            });
            runHandler([&] { windows.dlgOptions->FinishPendingEdit(); });
            QCOMPARE(refusals.texts.size(), size_t(1));  // declined: the row is refused
            table.CancelRow();
        }
        windows.dlgOptions->hide();

        saveShot(*windows.dlgAbout, "about-dialog");
        expectNoTextCut(*windows.dlgAbout);
    }

    // During an update held by a site that never answers, with a failed site before it;
    // then after Stop.
    void theMainWindowDuringAnUpdate() {
        SitesFolder folder;
        FeedServer feeds;
        SilentServer silent;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        folder.addSite("Down", "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/feed.xml", 0);
        folder.addSite("Slow", silent.url("/feed.xml"), 0);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.btnUpdateClick();
        QTRY_COMPARE(main.statusBar()->currentMessage(),
                     QStringLiteral("Updating: 2 of 4 sites, 3 new items, 1 failed"));
        saveShot(main, "main-window-updating");
        expectNoTextCut(main);
        main.StopClick();
        // The Tribune's news show once they arrived: within the stop or before it.
        const QString stopped = main.statusBar()->currentMessage();
        QVERIFY2(stopped.startsWith("Stopped: ") && stopped.endsWith(", 1 failed"), qPrintable(stopped));
        saveShot(main, "main-window-stopped");
    }

    // Kept news from an earlier run: counts, unread items in bold, dates of today and before,
    // and a site whose server is gone, keeping its news.
    void theMainWindowWithKeptNews() {
        SitesFolder folder;
        FeedServer feeds;
        folder.addSite("Courier", feeds.url("courier.xml"), 0);
        folder.addSite("Harbour", "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/feed.xml", 0);
        folder.addSite("Tribune", feeds.url("tribune.xml"), 0);
        const std::int64_t now = QDateTime::currentSecsSinceEpoch();
        const struct {
            std::int32_t site;
            const char* title;
            std::int64_t age;  // seconds before now
            bool read;
        } kept[] = {{2, "Ferry timetable changes for the winter season", 3600, false},
                    {2, "Lighthouse open to visitors on Sunday", 5 * 86400, true},
                    {2, "Fish market moves to the north quay", 9 * 86400, false},
                    {3, "Mountain road closed after the storm", 2 * 86400, true}};
        TItemsTable items(folder.path());
        for (const auto& k : kept) {
            TRSSListedItemCollection feed(typeid(TRSSListedItem));
            TRSSListedItem* item = feed.Add();
            item->Title = k.title;
            item->Key = k.title;
            item->Date = now - k.age;
            items.Merge(k.site, feed);
            if (k.read) items.SetRead(k.site, k.title, true);
        }
        TWispelWindows windows = CreateWindows(folder.path());
        windows.frmMain->btnUpdateClick();
        QTRY_VERIFY_WITH_TIMEOUT(!windows.frmMain->Updating(), 60000);
        windows.frmMain->resize(640, 420);
        windows.frmMain->tvList()->setCurrentItem(windows.frmMain->RootNode()->child(1)->child(1));
        saveShot(*windows.frmMain, "main-window-kept-news");
        expectNoTextCut(*windows.frmMain);
    }

    // The reading pane with an item of paragraphs, a link and a list; the import's report.
    void theReadingPaneAndTheImportReport() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1:1/c", 0);
        TRSSListedItemCollection feed(typeid(TRSSListedItem));
        const char* titles[] = {"Harbour reopens after a week of storms", "New ferry timetable",
                                "Lighthouse open on Sunday"};
        for (const char* title : titles) {
            TRSSListedItem* item = feed.Add();
            item->Title = title;
            item->Key = title;
            item->Link = "http://127.0.0.1/news/harbour";
            item->Author = "Ann Example";
            item->Date = QDateTime::currentSecsSinceEpoch() - 86400;
            item->Description = "The harbour is open again.";
            item->Content =
                "<p>After a week of storms the harbour <b>reopened</b> this morning. The first boats left "
                "at dawn, and the fish market is back on the north quay.</p>"
                "<p>What changes for visitors:</p><ul><li>The ferry runs every hour again</li>"
                "<li>The quay car park stays closed until Friday</li><li>Boat tours start on Monday</li></ul>"
                "<p>More in the <a href=\"http://127.0.0.1/news/harbour/timetable\">full timetable</a>.</p>";
        }
        TItemsTable(folder.path()).Merge(1, feed);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.ReadDelay = 60000;
        main.resize(900, 480);
        main.tvList()->setCurrentItem(main.RootNode()->child(0)->child(0));
        saveShot(main, "main-window-reading");
        expectNoTextCut(main);

        TempFolder files("wispel-opml");
        const std::string list = files.path() + "list.opml";
        {
            std::string opml = "<opml version=\"2.0\"><body><outline text=\"Courier\" xmlUrl=\"http://127.0.0.1:1/c\"/>";
            for (int i = 1; i <= 12; ++i) {
                opml += "<outline text=\"Site " + std::to_string(i) + "\" xmlUrl=\"http://127.0.0.1:1/feeds/" +
                        std::to_string(i) + ".xml\"/>";
            }
            QFile file(QString::fromStdString(list));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write((opml + "</body></opml>").c_str());
        }
        main.ChooseImportFile = [&] { return QString::fromStdString(list); };
        whenModalShows([&](QWidget* box) {
            QVERIFY(box->grab().save(screenshotPath("import-result")));
            expectNoTextCut(*box);
            static_cast<QDialog*>(box)->accept();
        });
        main.ImportClick();
    }

    // Finding a site's feed: the box while it searches, the offer of a page's one feed, and
    // the chooser among three.
    void theFeedSearch() {
        SilentServer silent;
        TdlgFeedSearch search(silent.url("/news/"));
        whenModalShows([&](QWidget* box) {
            QVERIFY(box->grab().save(screenshotPath("feed-search")));
            expectNoTextCut(*box);
            static_cast<QDialog*>(box)->reject();
        });
        QCOMPARE(search.Run(), TFeedSearchEnd::Cancelled);

        SitesFolder folder;
        FeedServer feeds;
        TWispelWindows windows = CreateWindows(folder.path());
        TdlgOptions& dialog = *windows.dlgOptions;
        dialog.show();
        TStoreTable& table = dialog.dbSites();
        table.StartInsert();
        table.FieldNamed("Name").SetTextValue("Courier");
        table.FieldNamed("URL").SetTextValue(feeds.url("page-one-feed.html"));
        whenModalShows(
            [&](QWidget* box) {
                QVERIFY(box->grab().save(screenshotPath("feed-offer")));
                expectNoTextCut(*box);
                static_cast<QDialog*>(box)->reject();
            },
            "boxOneFeed");
        runHandler([&] { dialog.FinishPendingEdit(); });  // answered with Cancel: silent
        table.CancelRow();
        dialog.hide();

        const std::string page = "http://127.0.0.1:8765/tribune/";
        TdlgFeedChooser chooser(page, {{page + "feeds/front-page.xml", "application/rss+xml", "Tribune: front page"},
                                       {page + "feeds/sport.atom", "application/atom+xml",
                                        "Tribune: sport, results and the tables of every league"},
                                       {page + "weather.rdf", "application/rdf+xml", ""}});
        saveShot(chooser, "feed-chooser");
        expectNoTextCut(chooser);
    }

    void theEmptyMainWindow() {
        SitesFolder folder;
        TWispelWindows windows = CreateWindows(folder.path());
        saveShot(*windows.frmMain, "main-window-empty");
        expectNoTextCut(*windows.frmMain);
    }
};

WISPEL_QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
