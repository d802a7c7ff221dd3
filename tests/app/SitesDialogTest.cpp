// The sites dialog on a real sites table: the list beside the form, what the controls show,
// how typing, clicking and the navigator edit the table, OK, Cancel, Escape and Enter, the
// delete confirmation and the tab order.

#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "tests/app/AppTest.h"
#include "tests/app/SitesDialogFixture.h"

using namespace wispel;
using namespace wispel::test;

class SitesDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheCurrentRowUnderOneName() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1/c", 10, true);
        folder.addSite("Tribune", "http://127.0.0.1/t", std::nullopt, false);
        folder.addSite("Unset", "http://127.0.0.1/u", std::nullopt, std::nullopt);
        OpenDialog d(folder);
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Sites"));
        QCOMPARE(d.dialog.findChild<QTabWidget*>("PageControl1")->tabText(0), QStringLiteral("Sites"));
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Courier"));
        QCOMPARE(d.dialog.DBEdit2()->text(), QStringLiteral("http://127.0.0.1/c"));
        QCOMPARE(d.dialog.DBEdit3()->text(), QStringLiteral("10"));
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Checked);
        QCOMPARE(d.enabled(), QStringLiteral("NID"));  // on the first row, nothing pending
        d.button(TNavigateBtn::nbNext)->click();
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Tribune"));
        QCOMPARE(d.dialog.DBEdit3()->text(), QString());
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Unchecked);
        QCOMPARE(d.enabled(), QStringLiteral("PNID"));
        d.button(TNavigateBtn::nbNext)->click();
        // A row from an older table that never had Active set is fetched: it shows checked.
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Checked);
        d.button(TNavigateBtn::nbNext)->click();  // runs off the end
        QCOMPARE(d.enabled(), QStringLiteral("PID"));
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Unset"));

        const QString hints[] = {"Previous site", "Next site", "Add a site",
                                 "Delete this site", "Save", "Cancel edit"};
        for (int i = 0; i < 6; ++i) QCOMPARE(d.button(static_cast<TNavigateBtn>(i))->toolTip(), hints[i]);
    }

    void theListShowsEverySiteAndSelectingALineMovesTheForm() {
        SitesFolder folder;
        QStringList expected;
        for (int i = 1; i <= 12; ++i) {
            const std::string name = "Site" + std::to_string(i);
            const std::string url = "http://127.0.0.1/" + std::to_string(i);
            folder.addSite(name, url, i == 12 ? std::optional<int>(90) : std::nullopt, i != 3);
            expected << QString::fromStdString(name + "|" + url + "|" + (i == 12 ? "90" : "") + "|") +
                            (i == 3 ? "-" : "+");
        }
        OpenDialog d(folder);
        QCOMPARE(d.dialog.lvSites()->headerItem()->text(1), QStringLiteral("Address"));
        QCOMPARE(d.lines(), expected);
        QCOMPARE(d.dialog.lvSites()->CurrentLine(), 0);

        d.clickLine(11);  // the twelfth site in one click
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Site12"));
        QCOMPARE(d.dialog.DBEdit3()->text(), QStringLiteral("90"));
        QCOMPARE(d.enabled(), QStringLiteral("PID"));  // at the last row
        d.clickLine(0);
        QCOMPARE(d.enabled(), QStringLiteral("NID"));  // at the first row
        d.clickLine(2);
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Site3"));
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Unchecked);

        // The navigator moves the selection with the form.
        d.button(TNavigateBtn::nbNext)->click();
        QCOMPARE(d.dialog.lvSites()->currentItem(), d.dialog.lvSites()->topLevelItem(3));
        // The keys move too.
        d.dialog.lvSites()->setFocus();
        QTest::keyClick(d.dialog.lvSites(), Qt::Key_Down);
        QCoreApplication::processEvents();
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Site5"));

        // A pending edit is saved before the form moves, and its line shows the new name.
        d.replaceText(d.dialog.DBEdit1(), "Renamed");
        d.clickLine(7);
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Site8"));
        QCOMPARE(d.lines()[4], QStringLiteral("Renamed|http://127.0.0.1/5||+"));
        QCOMPARE(folder.rows()[4], std::string("Renamed|http://127.0.0.1/5||True"));
        QCOMPARE(d.dialog.lvSites()->CurrentLine(), 7);

        // A deleted site leaves the list.
        d.dialog.dbNav()->ConfirmDelete = [] { return true; };
        d.button(TNavigateBtn::nbDelete)->click();
        QCOMPARE(d.lines().size(), 11);
        QVERIFY(!d.lines().contains("Site8|http://127.0.0.1/8||+"));
        QCOMPARE(d.dialog.lvSites()->currentItem()->text(0), d.dialog.DBEdit1()->text());
    }

    void anEmptyTableOffersOnlyInsertAndTypingStartsOne() {
        SitesFolder folder;
        OpenDialog d(folder);
        QCOMPARE(d.enabled(), QStringLiteral("I"));
        QCOMPARE(d.lines(), QStringList());
        d.typeInto(d.dialog.DBEdit1(), "Fresh");
        QCOMPARE(d.table().State(), TStoreDataSetState::dsInsert);
        QCOMPARE(d.enabled(), QStringLiteral("IDSC"));
        d.typeInto(d.dialog.DBEdit2(), "http://127.0.0.1/f");
        d.button(TNavigateBtn::nbPost)->click();  // the focused edit's text goes in first
        QCOMPARE(folder.rows(), std::vector<std::string>{"Fresh|http://127.0.0.1/f||True"});
        QCOMPARE(d.lines(), QStringList{"Fresh|http://127.0.0.1/f||+"});
    }

    void aNewSiteStartsActive() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1/c", 10, true);
        OpenDialog d(folder);
        d.button(TNavigateBtn::nbInsert)->click();
        QCOMPARE(d.table().State(), TStoreDataSetState::dsInsert);
        QCOMPARE(d.dialog.DBEdit1()->text(), QString());
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Checked);
        QCOMPARE(d.dialog.lvSites()->CurrentLine(), -1);  // the new row has no line yet
        d.typeInto(d.dialog.DBEdit1(), "Added");
        d.typeInto(d.dialog.DBEdit2(), "http://127.0.0.1/a");  // leaving DBEdit1 stores it
        QCOMPARE(d.table().FieldNamed("Name").TextValue(), std::string("Added"));
        d.button(TNavigateBtn::nbPost)->click();
        QCOMPARE(d.table().State(), TStoreDataSetState::dsBrowse);

        // A click turns a new site off; a grey box never shows.
        d.button(TNavigateBtn::nbInsert)->click();
        d.typeInto(d.dialog.DBEdit1(), "Off");
        d.typeInto(d.dialog.DBEdit2(), "http://127.0.0.1/o");
        QTest::mouseClick(d.dialog.DBCheckBox1(), Qt::LeftButton);
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Unchecked);
        QTest::mouseClick(d.dialog.DBCheckBox1(), Qt::LeftButton);
        QTest::mouseClick(d.dialog.DBCheckBox1(), Qt::LeftButton);
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Unchecked);
        d.button(TNavigateBtn::nbPost)->click();
        QCOMPARE(folder.rows(), (std::vector<std::string>{"Courier|http://127.0.0.1/c|10|True",
                                                          "Added|http://127.0.0.1/a||True",
                                                          "Off|http://127.0.0.1/o||False"}));
        QCOMPARE(d.lines(), (QStringList{"Courier|http://127.0.0.1/c|10|+",
                                         "Added|http://127.0.0.1/a||+", "Off|http://127.0.0.1/o||-"}));
    }

    void theUpdateIntervalTakesMinutesOrNothing() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        OpenDialog d(folder);
        d.typeInto(d.dialog.DBEdit3(), "3x0");  // only digits go in
        QCOMPARE(d.dialog.DBEdit3()->text(), QStringLiteral("30"));
        QTest::keyClick(d.dialog.DBEdit3(), Qt::Key_Return);
        QCOMPARE(folder.rows(), std::vector<std::string>{"One|http://127.0.0.1/1|30|True"});
        d.replaceText(d.dialog.DBEdit3(), "10080");
        QTest::keyClick(d.dialog.DBEdit3(), Qt::Key_Return);
        QCOMPARE(folder.rows(), std::vector<std::string>{"One|http://127.0.0.1/1|10080|True"});
        d.replaceText(d.dialog.DBEdit3(), "");  // empty: at every update
        QTest::keyClick(d.dialog.DBEdit3(), Qt::Key_Return);
        QCOMPARE(folder.rows(), std::vector<std::string>{"One|http://127.0.0.1/1||True"});
        QCOMPARE(d.lines(), QStringList{"One|http://127.0.0.1/1||+"});
    }

    void aRowIsCheckedBeforeItIsSavedAndARefusalSaysWhatToChange() {
        SitesFolder folder;
        folder.addSite("Old", "http://127.0.0.1/o", 20000);  // written by an older program
        OpenDialog d(folder);
        RecordingErrorBox box;
        d.dialog.ChooseAddress = [](const std::string&) { return std::string(); };
        const struct {
            const char* name;
            const char* url;
            const char* says;
            QWidget* focus;
        } cases[] = {
            {"", "http://127.0.0.1/a", "The site needs a name.", d.dialog.DBEdit1()},
            {"NoAddress", "", "The site needs an address", d.dialog.DBEdit2()},
            {"Ftp", "ftp://127.0.0.1/f", "only http:// and https:// addresses", d.dialog.DBEdit2()},
            {"NoHost", "http:///feed.xml", "names no server", d.dialog.DBEdit2()},
            {"NoScheme", "127.0.0.1:8765/feed.xml", "write it as 'http://127.0.0.1:8765/feed.xml'",
             d.dialog.DBEdit2()},
        };
        for (const auto& c : cases) {
            d.button(TNavigateBtn::nbInsert)->click();
            d.typeInto(d.dialog.DBEdit1(), c.name);
            d.typeInto(d.dialog.DBEdit2(), c.url);
            d.button(TNavigateBtn::nbPost)->click();
            QVERIFY2(!box.texts.empty() && box.texts.back().contains(c.says),
                     qPrintable(box.texts.empty() ? c.name : box.texts.back()));
            QCOMPARE(d.table().State(), TStoreDataSetState::dsInsert);  // kept as typed
            QCOMPARE(QApplication::focusWidget(), c.focus);
            // OK does not close over a refused row either.
            QTest::mouseClick(d.ok(), Qt::LeftButton);
            QVERIFY(d.dialog.isVisible());
            d.button(TNavigateBtn::nbCancel)->click();
        }
        QCOMPARE(box.texts.size(), size_t(2 * std::size(cases)));
        QCOMPARE(folder.rows(), std::vector<std::string>{"Old|http://127.0.0.1/o|20000|True"});

        // A stored interval beyond a week is refused when the row is saved again.
        d.dialog.lvSites()->setFocus();
        d.typeInto(d.dialog.DBEdit1(), "er");
        QTest::keyClick(d.dialog.DBEdit1(), Qt::Key_Return);
        QVERIFY2(box.texts.back().contains("from 0 to 10080"), qPrintable(box.texts.back()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.dialog.DBEdit3()));
        d.replaceText(d.dialog.DBEdit3(), "60");
        QTest::keyClick(d.dialog.DBEdit3(), Qt::Key_Return);
        QCOMPARE(folder.rows(), std::vector<std::string>{"Older|http://127.0.0.1/o|60|True"});
    }

    void anAddressWithoutItsSchemeIsOfferedWithOneFirst() {
        SitesFolder folder;
        OpenDialog d(folder);
        // The box as a person sees it: both addresses to pick from, and Cancel.
        QStringList offered;
        QString question;
        whenModalShows([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            for (QAbstractButton* button : box->buttons()) offered << button->text();
            question = box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == "Use https://") button->click();
            }
        });
        d.typeInto(d.dialog.DBEdit1(), "Local");
        d.typeInto(d.dialog.DBEdit2(), "127.0.0.1:8765/feed.xml");
        QTest::keyClick(d.dialog.DBEdit2(), Qt::Key_Return);
        offered.sort();
        QCOMPARE(offered, (QStringList{"Cancel", "Use http://", "Use https://"}));
        QCOMPARE(question, QStringLiteral("This address has no http:// or https:// in front:\n\n"
                                          "127.0.0.1:8765/feed.xml\n\nSave it with one of them?"));
        QCOMPARE(folder.rows(), std::vector<std::string>{"Local|https://127.0.0.1:8765/feed.xml||True"});
        QCOMPARE(d.dialog.DBEdit2()->text(), QStringLiteral("https://127.0.0.1:8765/feed.xml"));

        std::vector<std::string> asked;
        d.dialog.ChooseAddress = [&](const std::string& http) {
            asked.push_back(http);
            return http;
        };
        d.button(TNavigateBtn::nbInsert)->click();
        d.typeInto(d.dialog.DBEdit1(), "Other");
        d.typeInto(d.dialog.DBEdit2(), "localhost:8080/rss");
        QTest::mouseClick(d.ok(), Qt::LeftButton);
        QCOMPARE(asked, std::vector<std::string>{"http://localhost:8080/rss"});
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(folder.rows()[1], std::string("Other|http://localhost:8080/rss||True"));
    }

    void theEleventhCharacterOfTheNameIsRefused() {
        SitesFolder folder;
        folder.addSite("A", "http://127.0.0.1/a");
        OpenDialog d(folder);
        d.dialog.DBEdit1()->setFocus();
        d.dialog.DBEdit1()->selectAll();  // typing replaces the name
        QTest::keyClicks(d.dialog.DBEdit1(), "ABCDEFGHIJK");
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("ABCDEFGHIJ"));
        QCOMPARE(d.dialog.DBEdit1()->maxLength(), 10);
        QCOMPARE(d.dialog.DBEdit2()->maxLength(), 250);
    }

    void anEditedNameIsPostedBeforeNextMoves() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        folder.addSite("Two", "http://127.0.0.1/2");
        OpenDialog d(folder);
        d.dialog.DBEdit1()->setFocus();
        d.dialog.DBEdit1()->end(false);
        QTest::keyClicks(d.dialog.DBEdit1(), "ly");
        QCOMPARE(d.table().State(), TStoreDataSetState::dsEdit);
        QCOMPARE(d.enabled(), QStringLiteral("NIDSC"));
        d.button(TNavigateBtn::nbNext)->click();
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Two"));
        QCOMPARE(folder.rows()[0], std::string("Onely|http://127.0.0.1/1||True"));
    }

    void enterInAFieldSavesTheRowAndStays() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1", 5, false);
        OpenDialog d(folder);
        for (QWidget* field : {static_cast<QWidget*>(d.dialog.DBEdit1()),
                               static_cast<QWidget*>(d.dialog.DBEdit2())}) {
            d.typeInto(field, "x");
            QTest::keyClick(field, Qt::Key_Return);
            QVERIFY(d.dialog.isVisible());
            QCOMPARE(d.table().State(), TStoreDataSetState::dsBrowse);
        }
        QTest::mouseClick(d.dialog.DBCheckBox1(), Qt::LeftButton);
        d.dialog.DBCheckBox1()->setFocus();
        QTest::keyClick(d.dialog.DBCheckBox1(), Qt::Key_Enter);
        QVERIFY(d.dialog.isVisible());
        QCOMPARE(folder.rows(), std::vector<std::string>{"Onex|http://127.0.0.1/1x|5|True"});
        QVERIFY(!d.enabled().contains('S'));  // nothing left to save
    }

    void escapeCancelAndTheCloseBoxDropThePendingEdit() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1", 5, false);
        OpenDialog d(folder);
        d.typeInto(d.dialog.DBEdit1(), "X");
        QTest::keyClick(d.dialog.DBEdit1(), Qt::Key_Escape);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(d.table().State(), TStoreDataSetState::dsBrowse);
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("One"));

        d.dialog.show();
        QTest::mouseClick(d.dialog.DBCheckBox1(), Qt::LeftButton);
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Checked);
        QTest::mouseClick(d.cancel(), Qt::LeftButton);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Unchecked);

        d.dialog.show();
        d.button(TNavigateBtn::nbInsert)->click();
        d.typeInto(d.dialog.DBEdit1(), "New");
        d.dialog.close();  // the close box
        QCOMPARE(d.table().State(), TStoreDataSetState::dsBrowse);
        QCOMPARE(folder.rows(), std::vector<std::string>{"One|http://127.0.0.1/1|5|False"});
    }

    void okSavesThePendingEditAndCloses() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        OpenDialog d(folder);
        d.typeInto(d.dialog.DBEdit1(), "X");
        QTest::mouseClick(d.ok(), Qt::LeftButton);
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.table().State(), TStoreDataSetState::dsBrowse);
        QCOMPARE(folder.rows(), std::vector<std::string>{"OneX|http://127.0.0.1/1||True"});
    }

    void deleteNamesTheSiteAndOnlyOkDeletes() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        folder.addSite("Two", "http://127.0.0.1/2");
        OpenDialog d(folder);
        bool asked = false;
        whenModalShows([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Confirm"));
            QCOMPARE(box->text(), QStringLiteral("Delete the site 'One'?"));
            QCOMPARE(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
            asked = true;
            box->button(QMessageBox::Cancel)->click();
        });
        d.button(TNavigateBtn::nbDelete)->click();
        QVERIFY(asked);
        QCOMPARE(folder.rows().size(), size_t(2));

        d.dialog.dbNav()->ConfirmDelete = [] { return true; };
        d.button(TNavigateBtn::nbDelete)->click();
        QCOMPARE(folder.rows(), std::vector<std::string>{"Two|http://127.0.0.1/2||True"});
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Two"));

        d.button(TNavigateBtn::nbInsert)->click();  // delete during an insert drops the insert
        d.button(TNavigateBtn::nbDelete)->click();
        QCOMPARE(d.table().State(), TStoreDataSetState::dsBrowse);
        QCOMPARE(folder.rows().size(), size_t(1));
    }

    void tabOrderRunsFromTheListThroughTheControlsToTheButtons() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        OpenDialog d(folder);
        QWidget* expected[] = {d.dialog.dbNav(),       d.dialog.DBEdit1(), d.dialog.DBEdit2(),
                               d.dialog.DBEdit3(),     d.dialog.DBCheckBox1(), d.ok(),
                               d.cancel()};
        d.dialog.lvSites()->setFocus();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.dialog.lvSites()));
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QVERIFY(d.ok()->isDefault());
    }

    void aControlMayOutliveItsDataSource() {
        // A control bound to the dialog's data source and destroyed after it.
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        auto late = std::make_unique<TDBEdit>();
        {
            OpenDialog d(folder);
            late->SetDataField(&d.dialog.datSites(), "Name");
            QCOMPARE(late->text(), QStringLiteral("One"));
        }
        QVERIFY(!late->DataSource());
        late.reset();  // detaches from nothing
    }
};

WISPEL_QTEST_MAIN(SitesDialogTest)
#include "SitesDialogTest.moc"
