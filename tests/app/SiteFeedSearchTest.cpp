// The sites dialog's search for the feed behind a new or changed address, against pages and
// feeds on a real local server: a feed goes in as typed, a page's one feed is offered, a
// chooser asks among several, a page without any and an address that fails say so, and the
// search box can be left at any time; nothing typed is ever lost.

#include <QLabel>
#include <QMessageBox>
#include <QTreeWidget>

#include "app/FeedChooser.h"
#include "app/FeedSearchDialog.h"
#include "tests/app/AppTest.h"
#include "tests/app/SitesDialogFixture.h"
#include "tests/support/ScriptedServer.h"

using namespace wispel;
using namespace wispel::test;

namespace {

// Records the names of the modal widgets that show over the sites dialog, and answers every
// one but the search box with Escape's meaning, so that a question nobody expected fails
// the test instead of waiting for a click.
class ModalWatch {
public:
    ModalWatch() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible() || modal->objectName() == "TdlgOptions") return;
            if (seen.isEmpty() || seen.back() != modal->objectName()) seen << modal->objectName();
            if (modal->objectName() != "TdlgFeedSearch") static_cast<QDialog*>(modal)->reject();
        });
        timer_.start();
    }
    QStringList seen;

private:
    QTimer timer_;
};

// A message box's button by its text.
QAbstractButton* buttonNamed(QWidget* modal, const QString& text) {
    for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
        if (button->text() == text) return button;
    }
    return nullptr;
}

// Clicks the button `text` of the next modal named `name` once it shows, keeping its text.
void answer(const QString& name, const QString& text, QString* asked = nullptr) {
    whenModalShows(
        [name, text, asked](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal); box && asked) *asked = box->text();
            QAbstractButton* button = buttonNamed(modal, text);
            QVERIFY2(button, qPrintable(name + ": no button " + text));
            button->click();
        },
        name);
}

// Starts a new site with `url` in the form and saves it.
void addSite(OpenDialog& d, const std::string& url) {
    d.button(TNavigateBtn::nbInsert)->click();
    d.typeInto(d.dialog.DBEdit1(), "Site");
    d.typeInto(d.dialog.DBEdit2(), QString::fromStdString(url));
    QTest::keyClick(d.dialog.DBEdit2(), Qt::Key_Return);
}

// The row was not saved: it waits in the form as typed, with the address to change.
void expectAddressAsTyped(OpenDialog& d, const std::string& url) {
    QCOMPARE(d.table().State(), TStoreDataSetState::dsInsert);
    QCOMPARE(d.dialog.DBEdit2()->text(), QString::fromStdString(url));
    // The focus it gets back once the box that asked has gone.
    QCOMPARE(d.dialog.focusWidget(), static_cast<QWidget*>(d.dialog.DBEdit2()));
    QVERIFY(d.dialog.isVisible());
}

std::string row(const std::string& url) {
    return "Site|" + url + "||True";
}

}  // namespace

class SiteFeedSearchTest : public QObject {
    Q_OBJECT

private slots:
    // A feed is saved as typed without a question, and an edit that leaves the address
    // alone looks at nothing, even when its server would never answer.
    void aFeedGoesInAsTypedAndAnUnchangedAddressIsNotLookedAt() {
        SitesFolder folder;
        FeedServer feeds;
        SilentServer silent;
        folder.addSite("Silent", silent.url("/feed.xml"));
        OpenDialog d(folder, true);
        ModalWatch watch;
        addSite(d, feeds.url("courier.xml"));
        QCOMPARE(folder.rows()[1], row(feeds.url("courier.xml")));
        QVERIFY2(watch.seen.size() <= 1, qPrintable(watch.seen.join(",")));  // at most the search box

        watch.seen.clear();
        d.dialog.lvSites()->setCurrentItem(d.dialog.lvSites()->topLevelItem(0));
        QCoreApplication::processEvents();
        d.typeInto(d.dialog.DBEdit1(), "2");
        QTest::keyClick(d.dialog.DBEdit1(), Qt::Key_Return);
        QCOMPARE(folder.rows()[0], "Silent2|" + silent.url("/feed.xml") + "||True");
        QVERIFY2(watch.seen.isEmpty(), qPrintable(watch.seen.join(",")));
    }

    // The one feed of a page, announced with a relative address: offered with its absolute
    // address, which is saved and shown; or the page's address is kept.
    void aPagesOneFeedIsOfferedWithItsAbsoluteAddress() {
        SitesFolder folder;
        FeedServer feeds;
        OpenDialog d(folder, true);
        const std::string page = feeds.url("page-one-feed.html");
        QString asked;
        answer("boxOneFeed", "Use the feed", &asked);
        addSite(d, page);
        QCOMPARE(asked, QString::fromStdString("This address is a web page that announces a feed:\n\n"
                                               "The Courier: all news (RSS)\n" + feeds.url("courier.xml") +
                                               "\n\nSave the feed's address for the site?"));
        QCOMPARE(folder.rows(), std::vector<std::string>{row(feeds.url("courier.xml"))});
        QCOMPARE(d.dialog.DBEdit2()->text(), QString::fromStdString(feeds.url("courier.xml")));

        // Changing the address to the page again asks again; this time the page stays.
        answer("boxOneFeed", "Keep the page address");
        d.replaceText(d.dialog.DBEdit2(), QString::fromStdString(page));
        QTest::keyClick(d.dialog.DBEdit2(), Qt::Key_Return);
        QCOMPARE(folder.rows(), std::vector<std::string>{row(page)});
    }

    void severalFeedsAreOfferedInAChooser() {
        SitesFolder folder;
        FeedServer feeds;
        OpenDialog d(folder, true);
        const std::string page = feeds.url("page-three-feeds.html");
        const QStringList listed{"Tribune: front page|RSS|" + QString::fromStdString(feeds.url("tribune.xml")),
                                 "Tribune: sport|Atom|" + QString::fromStdString(feeds.url("feeds/sport.atom")),
                                 "(no title)|RDF|" + QString::fromStdString(feeds.url("feeds/weather.rdf"))};
        const struct {
            const char* button;
            int line;                  // chosen before the click, -1: as it opened
            const char* stored;        // the address saved; null: none, the form waits
        } answers[] = {
            {"Cancel", -1, nullptr},
            {"Use the feed", 1, "feeds/sport.atom"},
            {"Keep the page address", 2, "page-three-feeds.html"},
            {"Use the feed", -1, "tribune.xml"},
        };
        for (const auto& a : answers) {
            QStringList lines;
            int preselected = -2;
            whenModalShows(
                [&](QWidget* modal) {
                    auto* list = modal->findChild<QTreeWidget*>("lvFeeds");
                    for (int i = 0; i < list->topLevelItemCount(); ++i) {
                        const QTreeWidgetItem* item = list->topLevelItem(i);
                        lines << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
                    }
                    preselected = list->indexOfTopLevelItem(list->currentItem());
                    if (a.line >= 0) list->setCurrentItem(list->topLevelItem(a.line));
                    buttonNamed(modal, a.button)->click();
                },
                "TdlgFeedChooser");
            const std::size_t before = folder.rows().size();
            if (d.table().State() == TStoreDataSetState::dsInsert) {
                QTest::keyClick(d.dialog.DBEdit2(), Qt::Key_Return);  // the same row again
            } else {
                addSite(d, page);
            }
            QCOMPARE(lines, listed);
            QCOMPARE(preselected, 0);
            if (!a.stored) {
                expectAddressAsTyped(d, page);
                QCOMPARE(folder.rows().size(), before);
            } else {
                QCOMPARE(folder.rows().back(), row(feeds.url(a.stored)));
            }
        }
    }

    // A page without a feed and an address that fails are said so; the person keeps the
    // address or goes back to it.
    void aPageWithoutAFeedAndAFailureLetThePersonKeepOrChange() {
        SitesFolder folder;
        FeedServer feeds;
        OpenDialog d(folder, true);
        const std::string refused = "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/feed.xml";
        const struct {
            std::string url;
            const char* box;
            const char* says;
        } cases[] = {
            {feeds.url("page-no-feed.html"), "boxNoFeed", "This address is a web page that announces no feed:"},
            {feeds.url("status/404"), "boxFeedSearchFailed", "404"},
            {refused, "boxFeedSearchFailed", "Could not look for the feed of this address:"},
        };
        for (const auto& c : cases) {
            QString asked;
            answer(c.box, "Change the address", &asked);
            addSite(d, c.url);
            QVERIFY2(asked.contains(c.says) && asked.contains(QString::fromStdString(c.url)), qPrintable(asked));
            expectAddressAsTyped(d, c.url);

            answer(c.box, "Keep the address");
            QTest::keyClick(d.dialog.DBEdit2(), Qt::Key_Return);
            QCOMPARE(folder.rows().back(), row(c.url));
        }
        QCOMPARE(folder.rows().size(), std::size(cases));
    }

    // A feed whose address the sites table cannot hold is refused with the page's address
    // left as typed.
    void aFeedAddressTooLongToSaveIsRefused() {
        SitesFolder folder;
        FeedServer feeds;
        OpenDialog d(folder, true);
        RecordingErrorBox refusals;
        const std::string page = feeds.url("page-long-feed.html");
        answer("boxOneFeed", "Use the feed");
        addSite(d, page);
        QCOMPARE(refusals.texts.size(), size_t(1));
        QVERIFY2(refusals.texts[0].contains("which cannot be saved"), qPrintable(refusals.texts[0]));
        expectAddressAsTyped(d, page);
        QCOMPARE(folder.rows(), std::vector<std::string>());
    }

    // A host that never answers holds nobody: the search box says what it looks at and
    // lets the person go back to the address, or keep it.
    void theSearchCanBeLeftToChangeOrKeepTheAddress() {
        SitesFolder folder;
        SilentServer silent;
        OpenDialog d(folder, true);
        const std::string url = silent.url("/news/");
        QString said;
        whenModalShows(
            [&](QWidget* modal) {
                said = modal->findChild<QLabel*>("lblSearching")->text();
                QTest::keyClick(modal, Qt::Key_Escape);
            },
            "TdlgFeedSearch");
        addSite(d, url);
        QCOMPARE(said, QString::fromStdString("Looking for the feed of this address:\n\n" + url));
        expectAddressAsTyped(d, url);
        QCOMPARE(folder.rows(), std::vector<std::string>());

        whenModalShows([](QWidget* modal) { buttonNamed(modal, "Keep the address")->click(); }, "TdlgFeedSearch");
        QTest::keyClick(d.dialog.DBEdit2(), Qt::Key_Return);
        QCOMPARE(folder.rows(), std::vector<std::string>{row(url)});
    }
};

WISPEL_QTEST_MAIN(SiteFeedSearchTest)
#include "SiteFeedSearchTest.moc"
