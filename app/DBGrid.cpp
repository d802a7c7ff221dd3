#include "app/DBGrid.h"

#include <QHeaderView>

#include "app/Application.h"
#include "app/QtText.h"

namespace wispel {

TDBGrid::TDBGrid(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::currentItemChanged, this, [this] { onCurrentLineChanged(); });
}

TDBGrid::~TDBGrid() = default;

void TDBGrid::SetColumns(std::vector<Column> columns) {
    columns_ = std::move(columns);
    QStringList titles;
    for (const Column& column : columns_) titles << column.title;
    setColumnCount(static_cast<int>(columns_.size()));
    setHeaderLabels(titles);
    Reload();
}

TStoreTable* TDBGrid::table() const {
    TStoreTable* t = source() ? source()->DataSet() : nullptr;
    return t && t->Active() ? t : nullptr;
}

void TDBGrid::RefreshFromTable() {
    TStoreTable* t = table();
    if (!t) {
        selecting_ = true;
        clear();
        selecting_ = false;
        bookmarks_.clear();
        lineOf_.clear();
        reader_.reset();
        lastState_ = TStoreDataSetState::dsInactive;
        return;
    }
    const TStoreDataSetState state = t->State();
    const bool cameToRest = state == TStoreDataSetState::dsBrowse && lastState_ != state;
    lastState_ = state;
    // While a row is edited its lines stay as stored; the post brings them up to date.
    if (state == TStoreDataSetState::dsBrowse && (cameToRest || linesDifferFrom(*t))) Reload();
    selectCurrentRow();
}

bool TDBGrid::linesDifferFrom(TStoreTable& t) {
    if (t.RecordCount() != topLevelItemCount()) return true;
    const Bookmark current = t.GetBookmark();
    if (current.empty()) return false;
    const auto found = lineOf_.find(current);
    if (found == lineOf_.end()) return true;
    const QTreeWidgetItem* line = topLevelItem(found->second);
    QTreeWidgetItem shown;
    setLine(&shown, t);
    for (int column = 0; column < columnCount(); ++column) {
        if (shown.text(column) != line->text(column) ||
            shown.data(column, Qt::CheckStateRole) != line->data(column, Qt::CheckStateRole)) {
            return true;
        }
    }
    return false;
}

void TDBGrid::setLine(QTreeWidgetItem* line, const TStoreTable& t) const {
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Column& column = columns_[i];
        const int at = static_cast<int>(i);
        const TStoreField* field = t.FindField(column.field);
        if (!field) continue;
        if (field->DataType() == TStoreFieldType::ftBoolean) {
            line->setCheckState(at, field->IsNull()         ? column.noValue
                                    : field->BooleanValue() ? Qt::Checked
                                                            : Qt::Unchecked);
        } else {
            line->setText(at, field->IsNull() ? QString() : fromText(field->TextValue()));
        }
    }
    // The marks show values; they are changed in the form, not here.
    line->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
}

void TDBGrid::openReader(const TStoreTable& t) {
    if (!reader_ || reader_->DataFilePath() != t.DataFilePath()) {
        reader_ = std::make_unique<TStoreTable>();
        reader_->SetSessionName(t.SessionName());
        reader_->SetDatabaseName(t.DatabaseName());
        reader_->SetTableName(t.TableName());
        reader_->SetReadOnly(true);
        reader_->Open();
    }
    if (reader_->Filter() != t.Filter()) reader_->SetFilter(t.Filter());
    if (reader_->Filtered() != t.Filtered()) reader_->SetFiltered(t.Filtered());
}

void TDBGrid::Reload() {
    TStoreTable* t = table();
    if (!t || columns_.empty()) return;
    openReader(*t);
    reader_->RefreshRows();
    bookmarks_.clear();
    lineOf_.clear();
    QList<QTreeWidgetItem*> lines;
    if (!reader_->IsEmpty()) {
        for (reader_->MoveFirst(); !reader_->AtEnd(); reader_->MoveNext()) {
            auto* line = new QTreeWidgetItem;
            setLine(line, *reader_);
            lineOf_[reader_->GetBookmark()] = static_cast<int>(bookmarks_.size());
            bookmarks_.push_back(reader_->GetBookmark());
            lines << line;
        }
    }
    selecting_ = true;
    clear();
    addTopLevelItems(lines);
    selecting_ = false;
    selectCurrentRow();
}

int TDBGrid::CurrentLine() const {
    const TStoreTable* t = table();
    if (!t || t->State() == TStoreDataSetState::dsInsert) return -1;
    const auto found = lineOf_.find(t->GetBookmark());
    return found == lineOf_.end() ? -1 : found->second;
}

void TDBGrid::selectCurrentRow() {
    const int line = CurrentLine();
    selecting_ = true;
    if (line < 0) {
        setCurrentItem(nullptr);
        clearSelection();
    } else {
        setCurrentItem(topLevelItem(line));
        scrollToItem(topLevelItem(line));
    }
    selecting_ = false;
}

// The move waits until the view has finished its own selection change: it may post the
// row, which reads the lines anew.
void TDBGrid::onCurrentLineChanged() {
    if (selecting_ || movePending_) return;
    movePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            movePending_ = false;
            moveToLine(indexOfTopLevelItem(currentItem()));
        },
        Qt::QueuedConnection);
}

void TDBGrid::moveToLine(int line) {
    if (line < 0 || line >= static_cast<int>(bookmarks_.size()) || !table()) return;
    const Bookmark target = bookmarks_[static_cast<size_t>(line)];
    runHandler([this, &target] {
        source()->FinishPendingEdit();  // may read the lines anew
        TStoreTable* t = table();
        const auto found = lineOf_.find(target);
        if (!t || found == lineOf_.end()) return;  // the row has gone meanwhile
        // The ends by moving, so that the table knows it is at its first or last row.
        if (found->second == 0) {
            t->MoveFirst();
        } else if (found->second + 1 == topLevelItemCount()) {
            t->MoveLast();
        } else {
            t->GotoBookmark(target);
        }
    });
    selectCurrentRow();
}

}  // namespace wispel
