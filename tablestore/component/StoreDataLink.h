#pragma once
// Data links: how controls and other observers follow a table without polling. Derive from
// TStoreDataLink, override what you need, and attach it with `SetDataSet(&table)`.
//
// Lifetime: a link is attached to at most one table and never owned by it. Destroying a
// link detaches it; destroying a table detaches every link still attached (their
// DataSet() becomes null). A handler may read the table and its fields, but must not
// attach or detach links while it runs.
//
// When the notifications come:
//   StateChanged  the table's state changed (opened, closed, browse, edit, insert);
//   RowChanged    the current row is another one or was read again (move, find, refresh,
//                 post, cancel, delete, filter change); read every field again;
//   FieldChanged  one field of the row being edited or inserted was assigned;
//   BeforePost    PostRow is about to write: push any value a control still holds into
//                 its field now (an exception here stops the post).

namespace wispel {

class TStoreTable;
class TStoreField;

class TStoreDataLink {
public:
    TStoreDataLink() = default;
    virtual ~TStoreDataLink();
    TStoreDataLink(const TStoreDataLink&) = delete;
    TStoreDataLink& operator=(const TStoreDataLink&) = delete;

    // Attaches to `table` (null detaches), leaving any table it was attached to.
    void SetDataSet(TStoreTable* table);
    TStoreTable* DataSet() const noexcept { return table_; }

    virtual void StateChanged(TStoreTable& table) { (void)table; }
    virtual void RowChanged(TStoreTable& table) { (void)table; }
    virtual void FieldChanged(TStoreTable& table, TStoreField& field) {
        (void)table;
        (void)field;
    }
    virtual void BeforePost(TStoreTable& table) { (void)table; }

private:
    friend class TStoreTable;
    TStoreTable* table_ = nullptr;  // not owned
};

}  // namespace wispel
