#pragma once
// The glue between a table and the controls that show and edit its current row (the sites
// dialog's edits, check box and navigator). One data link on the table hears every state,
// row and field change and passes it to the controls, so they follow the table without
// polling and without a copy of its rows.
//
// Lifetime: controls attach for their whole life and detach when destroyed; the table may
// be opened, closed or destroyed while attached (the link then has no table).

#include <string>
#include <vector>

#include "tablestore/component/StoreDataLink.h"

namespace wispel {

class TStoreField;
class TStoreTable;

// What a control offers its data source.
class TDataControl {
public:
    virtual ~TDataControl() = default;
    // Show the table as it is now (its state, its current row).
    virtual void RefreshFromTable() = 0;
    // One field of the row was assigned.
    virtual void FieldChanged(TStoreField& field) { (void)field; }
    // Copy a value the control still holds into its field.
    virtual void CommitPending() {}
};

class TDataSource;

// A control bound to one field of its data source's table; it detaches when destroyed.
class TFieldDataControl : public TDataControl {
public:
    ~TFieldDataControl() override;

    void SetDataField(TDataSource* source, std::string fieldName);
    const std::string& DataField() const noexcept { return fieldName_; }

protected:
    TDataSource* source() const noexcept { return source_; }
    // The bound field, or null while there is no open table.
    TStoreField* field() const;

private:
    TDataSource* source_ = nullptr;  // not owned
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

    void Attach(TDataControl* control);
    void Detach(TDataControl* control);

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
        void BeforePost(TStoreTable&) override { source_.UpdateRecord(); }

    private:
        TDataSource& source_;
    };

    void refreshAll();

    Link link_{*this};
    std::vector<TDataControl*> controls_;  // not owned
};

}  // namespace wispel
