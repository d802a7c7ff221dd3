#include "app/DBEdit.h"

#include <QKeyEvent>
#include <QValidator>

#include "app/Application.h"
#include "app/QtText.h"
#include "tablestore/component/StoreTable.h"

namespace wispel {

namespace {

// The field's width counts bytes of UTF-8: text that would not fit is refused as it is
// typed rather than cut when stored.
class TUtf8WidthValidator : public QValidator {
public:
    TUtf8WidthValidator(int bytes, QObject* parent) : QValidator(parent), bytes_(bytes) {}
    State validate(QString& input, int&) const override {
        return input.toUtf8().size() <= bytes_ ? Acceptable : Invalid;
    }

private:
    int bytes_;
};

}  // namespace

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, [this] { onTextEdited(); });
}

void TDBEdit::RefreshFromTable() {
    if (editing_) return;  // the change being applied shows itself
    TStoreField* f = field();
    refreshing_ = true;
    if (f) {
        // Setting the length sets the text again, which would drop the selection.
        const int longest = f->Size() > 0 ? f->Size() : 32767;
        if (maxLength() != longest) setMaxLength(longest);
        if (!validator() && f->Size() > 0) setValidator(new TUtf8WidthValidator(f->Size(), this));
        // Unchanged text stays as it is, with the user's cursor and selection.
        const QString value = fromText(f->TextValue());
        if (text() != value) setText(value);
        setReadOnly(!f->DataSet().CanModify() || f->ReadOnly());
    } else {
        clear();
        setReadOnly(true);
    }
    setModified(false);
    refreshing_ = false;
}

void TDBEdit::FieldChanged(TStoreField& changed) {
    if (&changed == field()) RefreshFromTable();
}

void TDBEdit::CommitPending() {
    if (isModified()) commit();
}

void TDBEdit::commit() {
    TStoreField* f = field();
    if (!f) return;
    f->SetTextValue(toText(text()));
    setModified(false);
}

bool TDBEdit::startsAChange(const QKeyEvent* event) const {
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) return true;
    const QString text = event->text();
    return !text.isEmpty() && text.front().isPrint() &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && field()) {
        RefreshFromTable();
        selectAll();
        event->ignore();  // a dialog around the box still hears it, and cancels
        return;
    }
    if (startsAChange(event) && field() && !isReadOnly()) {
        try {
            source()->StartEditing();
        } catch (...) {
            if (TWispelApplication* app = wispelApp()) app->HandleException(std::current_exception());
            return;  // the key is not applied
        }
    }
    editing_ = true;
    QLineEdit::keyPressEvent(event);
    editing_ = false;
}

// Changes that did not come through a key (the context menu's paste, say) still start
// the edit.
void TDBEdit::onTextEdited() {
    if (refreshing_ || editing_ || !source() || source()->Editing() || !field()) return;
    editing_ = true;
    runHandler([this] { source()->StartEditing(); });
    editing_ = false;
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
    if (isModified() && field()) {
        try {
            commit();
        } catch (...) {
            selectAll();
            setFocus();
            if (TWispelApplication* app = wispelApp()) app->HandleException(std::current_exception());
        }
    }
    QLineEdit::focusOutEvent(event);
}

}  // namespace wispel
