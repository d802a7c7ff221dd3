// TStoreTable: properties, opening and closing, fields and data links. Navigation is in
// StoreTableNavigation.cpp, editing in StoreTableEditing.cpp.

#include "tablestore/component/StoreTable.h"

#include <algorithm>

#include "core/Format.h"
#include "core/TextCase.h"
#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/FieldTypeMap.h"
#include "tablestore/component/FilterBinding.h"
#include "tablestore/component/StoreDatabase.h"
#include "tablestore/component/StoreSession.h"
#include "tablestore/engine/DataCursor.h"

namespace wispel {

TStoreTable::TStoreTable(TComponent* owner) : TComponent(owner) {}

TStoreTable::~TStoreTable() {
    try {
        Close();
    } catch (...) {
        // Closing writes nothing that could fail; a destructor must not throw either way.
    }
    for (TStoreDataLink* link : links_) link->table_ = nullptr;
}

void TStoreTable::checkInactive() const {
    if (Active()) raiseDatabaseError(componenttext::kOpenDataSet);
}

void TStoreTable::SetTableName(std::string name) {
    checkInactive();
    size_t slash = name.rfind('/');
    if (slash != std::string::npos) {
        databaseName_ = name.substr(0, slash + 1);
        name.erase(0, slash + 1);
    }
    tableName_ = std::move(name);
}

void TStoreTable::SetDatabaseName(std::string name) {
    checkInactive();
    if (database_ != nullptr) raiseDatabaseError(componenttext::kOpenDatabase);
    databaseName_ = inMemory_ ? "Memory" : std::move(name);
}

void TStoreTable::SetSessionName(std::string name) {
    checkInactive();
    sessionName_ = std::move(name);
}

void TStoreTable::SetExclusive(bool exclusive) {
    checkInactive();
    exclusive_ = exclusive;
}

void TStoreTable::SetReadOnly(bool readOnly) {
    checkInactive();
    readOnly_ = requestedReadOnly_ = readOnly;
}

void TStoreTable::SetInMemory(bool inMemory) {
    checkInactive();
    inMemory_ = inMemory;
    if (inMemory_) databaseName_ = "Memory";
}

void TStoreTable::SetIndexName(std::string name) {
    if (!Active()) {
        indexName_ = std::move(name);
        if (!indexName_.empty()) indexFieldNames_.clear();
        return;
    }
    checkBrowse();
    const std::string old = std::exchange(indexName_, std::move(name));
    const std::string oldFields = indexFieldNames_;
    if (!indexName_.empty()) indexFieldNames_.clear();
    try {
        applyIndexName();
    } catch (...) {
        indexName_ = old;
        indexFieldNames_ = oldFields;
        throw;
    }
    moveToFirstRow();
}


void TStoreTable::SetActive(bool active) {
    if (active == Active()) return;
    if (active) openTable();
    else closeTable();
}

TStoreSession& TStoreTable::session() const {
    TStoreSession* session = TStoreSessionList::Instance().FindSession(sessionName_);
    if (session == nullptr) raiseDatabaseError(componenttext::kSessionNameInvalid, sessionName_);
    return *session;
}

void TStoreTable::openTable() {
    if (tableName_.empty()) raiseDatabaseError(componenttext::kMissingTableName);
    TStoreDatabase& database = session().OpenDatabase(inMemory_ ? "Memory" : databaseName_);
    auto cursor = std::make_unique<TDataCursor>(database.EngineDirectory());
    const TTableOpenOptions options{exclusive_, requestedReadOnly_, database.InMemory()};
    if (StoreStatus r = cursor->open(tableName_, options)) {
        session().CloseDatabase(database);
        raiseEngineError(r, tableName_);
    }
    database_ = &database;
    cursor_ = std::move(cursor);
    try {
        readOnly_ = cursor_->readOnly();
        dataFilePath_ = cursor_->table().dataPath();
        buildFields();
        row_.assign(cursor_->table().recordSize(), 0);
        rowAsRead_ = row_;
        state_ = TStoreDataSetState::dsBrowse;
        applyIndexName();
        rebuildFilter();
        moveToFirstRow();
    } catch (...) {
        closeTable();
        throw;
    }
    notifyState();
}

void TStoreTable::closeTable() {
    if (!cursor_) return;
    // The cursor's closing gives back every lock it holds, at the latest with the file.
    if (state_ == TStoreDataSetState::dsEdit) (void)cursor_->releaseLock();
    cursor_.reset();
    fields_.clear();
    textFilter_ = eventFilter_ = 0;
    hasRow_ = modified_ = false;
    atStart_ = atEnd_ = true;
    state_ = TStoreDataSetState::dsInactive;
    readOnly_ = requestedReadOnly_;
    TStoreDatabase* database = std::exchange(database_, nullptr);
    if (database != nullptr) database->Session().CloseDatabase(*database);
    notifyState();
}

void TStoreTable::buildFields() {
    fields_.clear();
    fieldDefs_.Clear();
    for (const ColumnDescriptor& column : cursor_->table().columns()) {
        const TStoreFieldType type = fieldTypeOf(column.type, column.subtype);
        if (type == TStoreFieldType::ftUnknown || column.hidden != 0) continue;
        std::string name = column.name;
        for (int n = 1; fieldDefs_.Find(name) != nullptr; ++n)
            name = formatMessage("%s_%d", {column.name, n});
        const bool sized = type == TStoreFieldType::ftString || type == TStoreFieldType::ftFixedChar ||
                           type == TStoreFieldType::ftWideString || type == TStoreFieldType::ftBytes ||
                           type == TStoreFieldType::ftVarBytes || type == TStoreFieldType::ftBCD;
        fieldDefs_.Add(name, type, sized ? (type == TStoreFieldType::ftBCD ? column.decimals : column.size) : 0,
                       column.required);
        const TStoreFieldDef& def = fieldDefs_.Items(fieldDefs_.Count() - 1);
        auto field = std::unique_ptr<TStoreField>(new TStoreField(*this, def, column));
        if (AutoDisplayLabels && !column.description.empty())
            field->SetDisplayLabel(column.description);
        fields_.push_back(std::move(field));
    }
}

void TStoreTable::rebuildFilter() {
    if (!cursor_) return;
    // A handle this table made is always known to its cursor; a failure to show the rows
    // anew meets the next operation, which shows them anew itself.
    if (textFilter_ != 0) (void)cursor_->freeFilter(textFilter_);
    if (eventFilter_ != 0) (void)cursor_->freeFilter(eventFilter_);
    textFilter_ = eventFilter_ = 0;
    if (!filter_.empty()) {
        StoreStatus r = cursor_->createFilter(
            compileTableFilter(filter_, cursor_->table(), filterOptions_, tableName_), textFilter_);
        checkEngine(r.code(), tableName_);
    }
    if (OnFilterRecord) {
        auto event = OnFilterRecord;
        auto callback = std::make_unique<TFilter>([this, event](std::uint32_t, const std::uint8_t* image) {
            return eventAccepts(event, image);
        });
        checkEngine(cursor_->createFilter(std::move(callback), eventFilter_).code(), tableName_);
    }
    if (filtered_) attachFilters(true);
}

void TStoreTable::attachFilters(bool attach) {
    for (TFilterHandle handle : {textFilter_, eventFilter_}) {
        if (handle == 0) continue;
        StoreStatus r = attach ? cursor_->attachFilter(handle) : cursor_->detachFilter(handle);
        checkEngine(r.code(), tableName_);
    }
}

bool TStoreTable::rowPassesFilters() {
    const std::uint32_t record = cursor_->recordNumber();
    return cursor_->passes(textFilter_, record, row_.data()) &&
           cursor_->passes(eventFilter_, record, row_.data());
}

bool TStoreTable::eventAccepts(const TStoreFilterRecordEvent& event, const std::uint8_t* image) {
    // The event reads the record being filtered through the fields, in the filter state.
    std::vector<std::uint8_t> saved(row_);
    const TStoreDataSetState savedState = state_;
    const bool savedHasRow = hasRow_;
    std::copy(image, image + row_.size(), row_.begin());
    state_ = TStoreDataSetState::dsFilter;
    hasRow_ = true;
    bool accept = true;
    try {
        event(this, accept);
    } catch (...) {
        row_ = std::move(saved);
        state_ = savedState;
        hasRow_ = savedHasRow;
        throw;
    }
    row_ = std::move(saved);
    state_ = savedState;
    hasRow_ = savedHasRow;
    return accept;
}

void TStoreTable::SetFilter(std::string text) {
    if (!Active()) {
        filter_ = std::move(text);
        return;
    }
    checkBrowse();
    const std::string old = std::exchange(filter_, std::move(text));
    try {
        rebuildFilter();
    } catch (...) {
        filter_ = old;
        rebuildFilter();
        throw;
    }
    if (filtered_) moveToFirstRow();
}

void TStoreTable::SetFilterOptions(TStoreFilterOptions options) {
    if (!Active()) {
        filterOptions_ = options;
        return;
    }
    checkBrowse();
    filterOptions_ = options;
    rebuildFilter();
    if (filtered_) moveToFirstRow();
}

void TStoreTable::SetFiltered(bool filtered) {
    if (!Active()) {
        filtered_ = filtered;
        return;
    }
    checkBrowse();
    if (filtered != filtered_) attachFilters(filtered);
    filtered_ = filtered;
    moveToFirstRow();
}

TStoreField& TStoreTable::Fields(int index) const {
    if (index < 0 || index >= FieldCount()) raiseDatabaseError(componenttext::kFieldIndexRange);
    return *fields_[static_cast<std::size_t>(index)];
}

TStoreField* TStoreTable::FindField(std::string_view name) const {
    for (const auto& field : fields_)
        if (sameText(field->FieldName(), name)) return field.get();
    return nullptr;
}

TStoreField& TStoreTable::FieldNamed(std::string_view name) const {
    TStoreField* field = FindField(name);
    if (field == nullptr) raiseDatabaseError(componenttext::kFieldNotFound, std::string(name));
    return *field;
}

void TStoreTable::attachLink(TStoreDataLink* link) { links_.push_back(link); }

void TStoreTable::detachLink(TStoreDataLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TStoreTable::notifyState() {
    for (TStoreDataLink* link : std::vector<TStoreDataLink*>(links_)) link->StateChanged(*this);
}

void TStoreTable::notifyRowChanged() {
    for (TStoreDataLink* link : std::vector<TStoreDataLink*>(links_)) link->RowChanged(*this);
}

void TStoreTable::notifyFieldChanged(TStoreField& field) {
    for (TStoreDataLink* link : std::vector<TStoreDataLink*>(links_))
        link->FieldChanged(*this, field);
}

void TStoreTable::setState(TStoreDataSetState state) {
    if (state == state_) return;
    state_ = state;
    notifyState();
}

void TStoreTable::CreateTable() {
    checkInactive();
    if (tableName_.empty()) raiseDatabaseError(componenttext::kMissingTableName);
    std::vector<ColumnDefinition> columns;
    for (const TStoreFieldDef& def : fieldDefs_) {
        auto engine = engineTypeOf(def.DataType);
        if (!engine) raiseEngineError(storecode::kInvalidFieldDefinition, tableName_, def.Name);
        columns.push_back({def.Name, engine->type, engine->subtype, def.Size, def.Required});
    }
    std::vector<TIndexDefinition> indexes;
    for (const TStoreIndexDef& def : indexDefs_)
        indexes.push_back(indexDefinitionOf(def, fieldDefs_, tableName_));
    TStoreDatabase& database = session().OpenDatabase(inMemory_ ? "Memory" : databaseName_);
    StoreStatus r = createTableFiles(database.EngineDirectory(), tableName_, columns, indexes,
                                     session().LanguageID(), BlobBlockSize);
    session().CloseDatabase(database);
    checkEngine(r, tableName_);
}

}  // namespace wispel
