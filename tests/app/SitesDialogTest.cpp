// The sites dialog on a real sites table: what the controls show, how typing, clicking and
// the navigator edit the table, the delete confirmation and the tab order.

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "app/DBCheckBox.h"
#include "app/DBEdit.h"
#include "app/DBNavigator.h"
#include "app/SitesDialog.h"
#include "tests/app/AppTest.h"
#include "tests/app/SitesFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

// The dialog on `folder`'s table, opened as start-up opens it, shown and active.
struct OpenDialog {
    explicit OpenDialog(const SitesFolder& folder) {
        CreateSitesTableIfMissing(folder.path());
        dialog.dbSites().SetDatabaseName(folder.path());
        dialog.dbSites().Open();
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    TStoreTable& table() { return dialog.dbSites(); }
    QToolButton* button(TNavigateBtn b) { return dialog.dbNav()->Button(b); }
    // Enabled buttons as letters in navigator order: P N I D S(post) C.
    QString enabled() {
        QString letters;
        const char* names = "PNIDSC";
        for (int i = 0; i < 6; ++i) {
            if (button(static_cast<TNavigateBtn>(i))->isEnabled()) letters += QChar(names[i]);
        }
        return letters;
    }
    void typeInto(QWidget* control, const QString& text) {
        control->setFocus();
        QTest::keyClicks(control, text);
    }
    TdlgOptions dialog;
};

}  // namespace

class SitesDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheCurrentRow() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1/c", 10, true);
        folder.addSite("Tribune", "http://127.0.0.1/t", std::nullopt, false);
        folder.addSite("Unset", "http://127.0.0.1/u", std::nullopt, std::nullopt);
        OpenDialog d(folder);
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Wispel Options"));
        QCOMPARE(d.dialog.findChild<QTabWidget*>("PageControl1")->tabText(0), QStringLiteral("Sites"));
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Courier"));
        QCOMPARE(d.dialog.DBEdit2()->text(), QStringLiteral("http://127.0.0.1/c"));
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Checked);
        QCOMPARE(d.enabled(), QStringLiteral("NID"));  // on the first row, nothing pending
        d.button(TNavigateBtn::nbNext)->click();
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Tribune"));
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Unchecked);
        QCOMPARE(d.enabled(), QStringLiteral("PNID"));
        d.button(TNavigateBtn::nbNext)->click();
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::PartiallyChecked);  // no value
        d.button(TNavigateBtn::nbNext)->click();  // runs off the end
        QCOMPARE(d.enabled(), QStringLiteral("PID"));
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("Unset"));
    }

    void anEmptyTableOffersOnlyInsertAndTypingStartsOne() {
        SitesFolder folder;
        OpenDialog d(folder);
        QCOMPARE(d.enabled(), QStringLiteral("I"));
        d.typeInto(d.dialog.DBEdit1(), "Fresh");
        QCOMPARE(d.table().State(), TStoreDataSetState::dsInsert);
        QCOMPARE(d.enabled(), QStringLiteral("IDSC"));
        d.button(TNavigateBtn::nbPost)->click();  // the focused edit's text goes in first
        QCOMPARE(folder.rows(), std::vector<std::string>{"Fresh|||"});
    }

    void insertTypeTickAndPost() {
        SitesFolder folder;
        folder.addSite("Courier", "http://127.0.0.1/c", 10, true);
        OpenDialog d(folder);
        d.button(TNavigateBtn::nbInsert)->click();
        QCOMPARE(d.table().State(), TStoreDataSetState::dsInsert);
        QCOMPARE(d.dialog.DBEdit1()->text(), QString());
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::PartiallyChecked);
        d.typeInto(d.dialog.DBEdit1(), "Added");
        d.typeInto(d.dialog.DBEdit2(), "http://127.0.0.1/a");  // leaving DBEdit1 stores it
        QCOMPARE(d.table().FieldNamed("Name").TextValue(), std::string("Added"));
        QTest::mouseClick(d.dialog.DBCheckBox1(), Qt::LeftButton);  // grey becomes checked
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Checked);
        QVERIFY(d.table().FieldNamed("Active").BooleanValue());
        d.button(TNavigateBtn::nbPost)->click();
        QCOMPARE(d.table().State(), TStoreDataSetState::dsBrowse);
        QCOMPARE(folder.rows(), (std::vector<std::string>{"Courier|http://127.0.0.1/c|10|True",
                                                          "Added|http://127.0.0.1/a||True"}));
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

    void escapePutsTheFieldBackAndCancelRestoresTheRow() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1", 5, false);
        OpenDialog d(folder);
        d.typeInto(d.dialog.DBEdit1(), "X");
        QTest::keyClick(d.dialog.DBEdit1(), Qt::Key_Escape);
        QCOMPARE(d.dialog.DBEdit1()->text(), QStringLiteral("One"));
        QCOMPARE(d.dialog.DBEdit1()->selectedText(), QStringLiteral("One"));
        QTest::mouseClick(d.dialog.DBCheckBox1(), Qt::LeftButton);
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Checked);
        d.button(TNavigateBtn::nbCancel)->click();
        QCOMPARE(d.dialog.DBCheckBox1()->checkState(), Qt::Unchecked);
        QCOMPARE(d.table().State(), TStoreDataSetState::dsBrowse);
        QCOMPARE(folder.rows(), std::vector<std::string>{"One|http://127.0.0.1/1|5|False"});
    }

    void deleteAsksAndOnlyOkDeletes() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        folder.addSite("Two", "http://127.0.0.1/2");
        OpenDialog d(folder);
        bool asked = false;
        whenModalShows([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Confirm"));
            QCOMPARE(box->text(), QStringLiteral("Delete record?"));
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

    void tabOrderRunsFromTheNavigatorThroughTheControlsToOk() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        OpenDialog d(folder);
        QWidget* expected[] = {d.dialog.DBEdit1(), d.dialog.DBEdit2(), d.dialog.DBCheckBox1(),
                               d.dialog.findChild<QPushButton*>("OKBtn")};
        d.dialog.dbNav()->setFocus();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.dialog.dbNav()));
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QVERIFY(d.dialog.findChild<QPushButton*>("OKBtn")->isDefault());
    }

    void okClosesWithTheRowStillPending() {
        SitesFolder folder;
        folder.addSite("One", "http://127.0.0.1/1");
        OpenDialog d(folder);
        d.typeInto(d.dialog.DBEdit1(), "X");
        QTest::mouseClick(d.dialog.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(d.table().State(), TStoreDataSetState::dsEdit);  // finished by the main window
        QCOMPARE(d.table().FieldNamed("Name").TextValue(), std::string("OneX"));
    }
};

WISPEL_QTEST_MAIN(SitesDialogTest)
#include "SitesDialogTest.moc"
