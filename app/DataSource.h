#pragma once
// The glue between a table and the controls that show and edit its current row (the sites
// dialog's edits, check box and navigator). One data link on the table hears every state,
// row and field change and passes it to the controls, so they follow the table without
// polling and without a copy of its rows.
//
// Lifetime: controls attach through TDataControl::SetDataSource and detach when destroyed;
// a source destroyed first clears the references of the controls still attached. The
// table may be opened, closed or destroyed while attached (the link then has no table).

#include <string>
#include <vector>

#include "core/Event.h"
#include "tablestore/component/StoreDataLink.h"

namespace wispel {

class TStoreField;
class TStoreTable;

class TDataSource;

// What a control offers its data source. A control is attached to at most one source; it
// detaches when destroyed, and a source that goes first clears the control's reference,
// so either may outlive the other.
class TDataControl {
public:
    TDataControl() = default;
    virtual ~TDataControl();
    TDataControl(const TDataControl&) = delete;
    TDataControl& operator=(const TDataControl&) = delete;

    // Attaches to `source` (null detaches), leaving any source it was attached to, and
    // shows the table as it is then.
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const noexcept { return source_; }

    // Show the table as it is now (its state, its current row).
    virtual void RefreshFromTable() = 0;
    // One field of the row was assigned.
    virtual void FieldChanged(TStoreField& field) { (void)field; }
    // Copy a value the control still holds into its field.
    virtual void CommitPending() {}
    // The row is about to be written: store what the control shows but the field lacks.
    virtual void BeforePost() {}

protected:
    TDataSource* source() const noexcept { return source_; }

private:
    friend class TDataSource;
    TDataSource* source_ = nullptr;  // not owned
};

// A control bound to one field of its data source's table.
class TFieldDataControl : public TDataControl {
public:
    void SetDataField(TDataSource* source, std::string fieldName);
    const std::string& DataField() const noexcept { return fieldName_; }

protected:
    // The bound field, or null while there is no open table.
    TStoreField* field() const;

private:
    std::string fieldName_;
};

class TDataSource {
public:
    TDataSource();
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    void SetDataSet(TStoreTable* table);
    TStoreTable* DataSet() const noexcept { return link_.DataSet(); }

    // Runs before a row is written, after the controls stored what they hold; an error
    // it raises stops the post (the row stays in edit or insert state).
    TEvent<TStoreTable&> OnBeforePost;

    // The table is open and in edit or insert state.
    bool Editing() const;
    // Puts the table into edit state on its current row, or starts an insert when the
    // table is empty; nothing when it is editing already.
    void StartEditing();
    // Copies what the controls still hold into the fields.
    void UpdateRecord();
    // Brings a pending edit to rest: the controls' values go into the fields, then the row
    // is posted when it was changed and the edit or insert cancelled when not.
    void FinishPendingEdit();

private:
    class Link : public TStoreDataLink {
    public:
        explicit Link(TDataSource& source) : source_(source) {}
        void StateChanged(TStoreTable&) override { source_.refreshAll(); }
        void RowChanged(TStoreTable&) override { source_.refreshAll(); }
        void FieldChanged(TStoreTable&, TStoreField& field) override;
        void BeforePost(TStoreTable& table) override { source_.beforePost(table); }

    private:
        TDataSource& source_;
    };

    friend class TDataControl;
    void attach(TDataControl* control);
    void detach(TDataControl* control);
    void refreshAll();
    void beforePost(TStoreTable& table);

    Link link_{*this};
    std::vector<TDataControl*> controls_;  // not owned
};

}  // namespace wispel
