#pragma once
// The sites dialog on a test's own sites table, shown and active, with the ways a person
// drives it.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/DBCheckBox.h"
#include "app/DBEdit.h"
#include "app/DBGrid.h"
#include "app/DBNavigator.h"
#include "app/SitesDialog.h"
#include "tests/app/SitesFixture.h"

namespace wispel::test {

// The dialog on `folder`'s table, opened as start-up opens it, shown and active.
struct OpenDialog {
    // `findsFeeds`: whether a new or changed address is searched for its feed first.
    explicit OpenDialog(const SitesFolder& folder, bool findsFeeds = false) {
        dialog.FindsFeeds = findsFeeds;
        CreateSitesTableIfMissing(folder.path());
        dialog.dbSites().SetDatabaseName(folder.path());
        dialog.dbSites().Open();
        dialog.ShowStoredRows();
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
    void replaceText(QWidget* control, const QString& text) {
        control->setFocus();
        static_cast<QLineEdit*>(control)->selectAll();
        QTest::keyClick(control, Qt::Key_Backspace);
        QTest::keyClicks(control, text);
    }
    // The list's lines as "Name|Address|Update|Active" (Active: +, - or ?).
    QStringList lines() {
        QStringList out;
        TDBGrid* grid = dialog.lvSites();
        for (int i = 0; i < grid->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* line = grid->topLevelItem(i);
            const Qt::CheckState active = line->checkState(3);
            out << line->text(0) + "|" + line->text(1) + "|" + line->text(2) + "|" +
                       (active == Qt::Checked ? "+" : active == Qt::Unchecked ? "-" : "?");
        }
        return out;
    }
    // Clicks a line of the list as a person does; the move follows once events are handled.
    void clickLine(int line) {
        TDBGrid* grid = dialog.lvSites();
        const QRect rect = grid->visualItemRect(grid->topLevelItem(line));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
        QCoreApplication::processEvents();
    }
    QPushButton* ok() { return dialog.findChild<QPushButton*>("OKBtn"); }
    QPushButton* cancel() { return dialog.findChild<QPushButton*>("CancelBtn"); }
    TdlgOptions dialog;
};


}  // namespace wispel::test
