// File > Import... and Export... of the main window: an OPML list's new feeds become sites
// and the box says what was added and skipped; a malformed list adds nothing and says why;
// what one folder exports, an empty one imports as the same sites.

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

#include "app/Startup.h"
#include "tests/app/AppTest.h"
#include "tests/app/SitesFixture.h"
#include "tests/support/TempFolder.h"

using namespace wispel;
using namespace wispel::test;

namespace {

void writeFile(const std::string& path, const std::string& content) {
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content.data(), static_cast<qint64>(content.size()));
}

QStringList sourceNames(TfrmMain& main) {
    QStringList names;
    TRSSSourceCollection& list = main.rssSources()->RSSSourceList();
    for (int i = 0; i < list.Count(); ++i) names << QString::fromStdString(list[i]->Site + " " + list[i]->URL);
    return names;
}

// Runs File > Import... on `path`; the text of the box it shows.
QString import(TfrmMain& main, const std::string& path) {
    main.ChooseImportFile = [path] { return QString::fromStdString(path); };
    QString text;
    whenModalShows([&](QWidget* box) {
        text = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
    });
    main.findChild<QAction*>("actImport")->trigger();
    return text;
}

const std::string kList =
    "<?xml version=\"1.0\"?>\n"
    "<opml version=\"2.0\"><head><title>Mine</title></head><body>\n"
    "  <outline text=\"Courier\" xmlUrl=\"http://127.0.0.1:1/c\"/>\n"
    "  <outline text=\"Folder\">\n"
    "    <outline title=\"Gazette\" xmlUrl=\"http://127.0.0.1:1/g\"/>\n"
    "    <outline text=\"Again\" xmlUrl=\"http://127.0.0.1:1/g\"/>\n"
    "  </outline>\n"
    "</body></opml>\n";

}  // namespace

class ImportExportTest : public QObject {
    Q_OBJECT

private slots:
    void importAddsTheNewFeedsAndSaysWhatItSkipped() {
        SitesFolder folder;
        TempFolder files("wispel-opml");
        writeFile(files.path() + "list.opml", kList);
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        const QString text = import(main, files.path() + "list.opml");
        QVERIFY2(text.startsWith("2 sites added, 1 skipped.\n\n"), qPrintable(text));
        QVERIFY2(text.endsWith("skipped line 6: http://127.0.0.1:1/g is on line 5 as well"), qPrintable(text));
        QCOMPARE(sourceNames(main), (QStringList{"Courier http://127.0.0.1:1/c", "Gazette http://127.0.0.1:1/g"}));
        // Again: everything is there already.
        QVERIFY(import(main, files.path() + "list.opml").startsWith("0 sites added, 3 skipped."));
        QCOMPARE(sourceNames(main).size(), 2);
        // Cancelled: nothing.
        main.ChooseImportFile = [] { return QString(); };
        main.ImportClick();
    }

    void aMalformedListAddsNothingAndSaysWhy() {
        SitesFolder folder;
        TempFolder files("wispel-opml");
        writeFile(files.path() + "bad.opml", kList.substr(0, kList.size() - 10));
        TWispelWindows windows = CreateWindows(folder.path());
        TfrmMain& main = *windows.frmMain;
        main.ChooseImportFile = [&] { return QString::fromStdString(files.path() + "bad.opml"); };
        RecordingErrorBox box;
        main.findChild<QAction*>("actImport")->trigger();
        QCOMPARE(box.texts.size(), size_t(1));
        QVERIFY2(box.texts[0].contains("line"), qPrintable(box.texts[0]));
        QCOMPARE(folder.rows().size(), size_t(0));
    }

    void whatOneFolderExportsAnEmptyOneImportsAsTheSameSites() {
        SitesFolder from;
        from.addSite("Courier", "http://127.0.0.1:1/c", 30);
        from.addSite("Off", "http://127.0.0.1:1/o", 0, false);
        TempFolder files("wispel-opml");
        const std::string path = files.path() + "sites.opml";
        {
            TWispelWindows windows = CreateWindows(from.path());
            windows.frmMain->ChooseExportFile = [&] { return QString::fromStdString(path); };
            windows.frmMain->findChild<QAction*>("actExport")->trigger();
            QCOMPARE(windows.frmMain->statusBar()->currentMessage(),
                     "Sites exported to " + QString::fromStdString(path));
        }
        SitesFolder to;
        TWispelWindows windows = CreateWindows(to.path());
        QVERIFY(import(*windows.frmMain, path).startsWith("2 sites added, 0 skipped."));
        QCOMPARE(to.rows(), (std::vector<std::string>{"Courier|http://127.0.0.1:1/c||True", "Off|http://127.0.0.1:1/o||True"}));

        // A file that cannot be written is an error, and nothing else happens.
        RecordingErrorBox box;
        windows.frmMain->ChooseExportFile = [&] { return QString::fromStdString(files.path() + "no/such/folder.opml"); };
        windows.frmMain->findChild<QAction*>("actExport")->trigger();
        QCOMPARE(box.texts.size(), size_t(1));
        QVERIFY2(box.texts[0].contains("Cannot write"), qPrintable(box.texts[0]));
    }
};

WISPEL_QTEST_MAIN(ImportExportTest)
#include "ImportExportTest.moc"
