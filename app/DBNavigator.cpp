#include "app/DBNavigator.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QToolButton>

#include "app/Application.h"
#include "tablestore/component/StoreTable.h"

namespace wispel {

namespace {

struct ButtonLook {
    const char* name;
    const char* symbol;  // drawn by the font: arrows, plus, minus, tick, cross
    const char* hint;
};

constexpr ButtonLook kLooks[] = {
    {"btnPrior", "\u25C0", QT_TRANSLATE_NOOP("TDBNavigator", "Prior")},
    {"btnNext", "\u25B6", QT_TRANSLATE_NOOP("TDBNavigator", "Next")},
    {"btnInsert", "+", QT_TRANSLATE_NOOP("TDBNavigator", "Insert")},
    {"btnDelete", "\u2212", QT_TRANSLATE_NOOP("TDBNavigator", "Delete")},
    {"btnPost", "\u2714", QT_TRANSLATE_NOOP("TDBNavigator", "Post")},
    {"btnCancel", "\u2716", QT_TRANSLATE_NOOP("TDBNavigator", "Cancel")},
};

}  // namespace

bool confirmDeleteRecord(QWidget* parent) {
    QMessageBox box(QMessageBox::Question, QCoreApplication::translate("TDBNavigator", "Confirm"),
                    QCoreApplication::translate("TDBNavigator", "Delete record?"),
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(kLooks[i].name));
        button->setText(QString::fromUtf8(kLooks[i].symbol));
        button->setToolTip(tr(kLooks[i].hint));
        button->setMinimumSize(20, 20);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        // The edit being typed in keeps the focus, so its text is still there to commit.
        button->setFocusPolicy(Qt::NoFocus);
        const auto which = static_cast<TNavigateBtn>(i);
        connect(button, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
        layout->addWidget(button);
        buttons_[i] = button;
    }
    setFocusPolicy(Qt::TabFocus);
    ConfirmDelete = [this] { return confirmDeleteRecord(window()); };
    RefreshFromTable();
}

void TDBNavigator::SetHints(const std::array<QString, 6>& hints) {
    for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setToolTip(hints[i]);
}

QToolButton* TDBNavigator::Button(TNavigateBtn button) const {
    return buttons_[static_cast<size_t>(button)];
}

void TDBNavigator::RefreshFromTable() {
    const TStoreTable* table = source() ? source()->DataSet() : nullptr;
    const bool open = table && table->Active();
    const bool editing = source() && source()->Editing();
    const bool canModify = open && table->CanModify();
    Button(TNavigateBtn::nbPrior)->setEnabled(open && !table->AtStart());
    Button(TNavigateBtn::nbNext)->setEnabled(open && !table->AtEnd());
    Button(TNavigateBtn::nbInsert)->setEnabled(canModify);
    // A row being inserted counts: deleting it drops the insert.
    const bool inserting = open && table->State() == TStoreDataSetState::dsInsert;
    Button(TNavigateBtn::nbDelete)->setEnabled(canModify && (inserting || !table->IsEmpty()));
    Button(TNavigateBtn::nbPost)->setEnabled(editing);
    Button(TNavigateBtn::nbCancel)->setEnabled(editing);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
    if (!Button(button)->isEnabled()) return;
    runHandler([this, button] { act(button); });
    RefreshFromTable();
}

void TDBNavigator::act(TNavigateBtn button) {
    TStoreTable* table = source() ? source()->DataSet() : nullptr;
    if (!table || !table->Active()) return;
    switch (button) {
        case TNavigateBtn::nbPrior:
            source()->FinishPendingEdit();
            table->MovePrior();
            break;
        case TNavigateBtn::nbNext:
            source()->FinishPendingEdit();
            table->MoveNext();
            break;
        case TNavigateBtn::nbInsert:
            source()->FinishPendingEdit();
            table->StartInsert();
            break;
        case TNavigateBtn::nbDelete:
            if (!ConfirmDelete || !ConfirmDelete()) return;
            if (table->State() == TStoreDataSetState::dsInsert) {
                table->CancelRow();
            } else if (DeleteStoredRow) {
                DeleteStoredRow(*table);
            } else {
                table->DeleteRow();
            }
            break;
        case TNavigateBtn::nbPost:
            table->PostRow();
            break;
        case TNavigateBtn::nbCancel:
            table->CancelRow();
            break;
    }
}

}  // namespace wispel
