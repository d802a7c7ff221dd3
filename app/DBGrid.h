#pragma once
// TDBGrid: a list of every row of a data source's table, one line per row and one column per
// named field, kept beside the controls that edit the current row. The current row is the
// selected line; selecting another line (with the mouse or the keys) brings a pending edit
// to rest and moves the table there.
//
// The rows are read through a table of the grid's own on the same file, so that reading them
// never moves the edited table. They are read again when the table comes back to rest after
// an edit or insert, when its row count or the current row's values differ from the lines,
// and on `Reload`.

#include <QTreeWidget>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/DataSource.h"
#include "tablestore/component/StoreTable.h"

namespace wispel {

class TDBGrid : public QTreeWidget, public TDataControl {
    Q_OBJECT
public:
    struct Column {
        std::string field;
        QString title;
        // A Boolean field shows as a check mark; this is how one without a value shows.
        Qt::CheckState noValue = Qt::PartiallyChecked;
    };

    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    void SetColumns(std::vector<Column> columns);

    // Reads every row again from the files.
    void Reload();

    void RefreshFromTable() override;

    // The line of the table's current row, or -1 (no row, or a row being inserted).
    int CurrentLine() const;

private:
    using Bookmark = TStoreBookmark;
    // Byte order through a view: GCC 12 misreads the bound of the vector's own comparison
    // once optimised and warns of an overread that cannot happen.
    struct BookmarkOrder {
        bool operator()(const Bookmark& a, const Bookmark& b) const noexcept {
            return bytes(a) < bytes(b);
        }
        static std::string_view bytes(const Bookmark& b) noexcept {
            return {reinterpret_cast<const char*>(b.data()), b.size()};
        }
    };

    TStoreTable* table() const;
    bool linesDifferFrom(TStoreTable& table);
    void setLine(QTreeWidgetItem* line, const TStoreTable& table) const;
    void openReader(const TStoreTable& table);
    void selectCurrentRow();
    void onCurrentLineChanged();
    void moveToLine(int line);

    std::vector<Column> columns_;
    std::unique_ptr<TStoreTable> reader_;   // the grid's own table on the same file
    std::vector<Bookmark> bookmarks_;       // per line
    std::map<Bookmark, int, BookmarkOrder> lineOf_;  // bookmark -> line
    TStoreDataSetState lastState_ = TStoreDataSetState::dsInactive;
    bool selecting_ = false;  // our own selection change, not the user's
    bool movePending_ = false;
};

}  // namespace wispel
