#pragma once
// TStoreTable: one open table presented as a dataset: a current row, navigation, filters,
// editing through field objects, and data links that tell observers what happened.
//
//   TStoreTable sites;
//   sites.SetDatabaseName(wispelDataFolder());
//   sites.SetTableName("Sites.DAT");
//   sites.SetFilter("Active = TRUE");
//   sites.Open();                                   // EStoreEngineError 11010 when missing
//   for (bool found = sites.FindFirstMatch(); found; found = sites.FindNextMatch())
//       use(sites.FieldNamed("Name").TextValue(), sites.FieldNamed("Update").IntegerValue());
//
// Ownership and lifetime: the table belongs to its owner component (or to whoever created
// it without one); it uses a database of its session from open to close, and its session
// must outlive it. Destroying an open table closes it (a pending insert or edit is
// cancelled) and detaches every data link. Field objects live from open to close.
//
// Errors: the engine's failures raise EStoreEngineError with the engine's code (its
// message "Table Engine Error # <code> <text>"); misuse of the component raises
// EDatabaseError with the component's own texts ("Missing table name.", "Cannot perform
// this operation on an open dataset", "Dataset not in edit or insert mode", ...). A failed
// open leaves the table closed; a failed post leaves it in edit or insert state with the
// values the user gave.
//
// Sharing: any number of tables may be open on one file, in this process and in others.
// A change made through one is seen by the others at their next operation (same process)
// or when they next take a lock (another process; RefreshRows always does).

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Component.h"
#include "core/Event.h"
#include "tablestore/component/StoreDataLink.h"
#include "tablestore/component/StoreField.h"
#include "tablestore/component/StoreFieldDef.h"
#include "tablestore/component/StoreIndexDef.h"
#include "tablestore/index/IndexDefinition.h"

namespace wispel {

class TStoreDatabase;
class TStoreSession;
class TStoreTable;
class TDataCursor;

enum class TStoreDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsFilter };

enum class TStoreLockType { ltReadLock, ltWriteLock };

struct TStoreFilterOptions {
    bool foCaseInsensitive = false;
    bool foNoPartialCompare = false;
    friend bool operator==(const TStoreFilterOptions&, const TStoreFilterOptions&) = default;
};

// Names a row: the record number (record-number order) or the row's key (index order).
using TStoreBookmark = std::vector<std::uint8_t>;

// The row-filter event: set `accept` to false to hide the table's current row.
using TStoreFilterRecordEvent = TEvent<TStoreTable*, bool&>;

// An index of an open table as IndexInfo describes it.
struct TStoreTableIndexInfo {
    std::string Name;  // empty for the primary index
    std::string Fields;  // key fields separated by ";"
    bool Unique = false;
    bool CaseInsensitive = false;
    std::string DescFields;  // the key fields that descend
};

// The engine's definition of `def` over the columns of `fields`; EStoreEngineError 9985
// for a field name the table has not.
TIndexDefinition indexDefinitionOf(const TStoreIndexDef& def, const TStoreFieldDefs& fields,
                                   const std::string& tableName);

class TStoreTable : public TComponent {
public:
    explicit TStoreTable(TComponent* owner = nullptr);
    ~TStoreTable() override;

    // --- Properties. Setting TableName, DatabaseName, SessionName, Exclusive, ReadOnly or
    // InMemory while open raises "Cannot perform this operation on an open dataset".
    const std::string& TableName() const noexcept { return tableName_; }
    // A name with a "/" puts its folder into DatabaseName and keeps only the file name.
    void SetTableName(std::string name);
    const std::string& DatabaseName() const noexcept { return databaseName_; }
    void SetDatabaseName(std::string name);  // "Memory" is stored while InMemory is true
    const std::string& SessionName() const noexcept { return sessionName_; }
    void SetSessionName(std::string name);
    bool Exclusive() const noexcept { return exclusive_; }
    void SetExclusive(bool exclusive);
    // True also after opening a table whose files this process may not write.
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool InMemory() const noexcept { return inMemory_; }
    void SetInMemory(bool inMemory);
    const std::string& IndexName() const noexcept { return indexName_; }
    // Empty: the primary index (record-slot order when it has no key columns). On an open
    // table the rows are then walked in the new order from the first; a name the table has
    // no index of raises EStoreEngineError 10022.
    void SetIndexName(std::string name);
    // The index whose leading key columns are these fields ("Site;Title"), in place of
    // IndexName (setting either clears the other); EStoreEngineError 10022 when the table
    // has none.
    const std::string& IndexFieldNames() const noexcept { return indexFieldNames_; }
    void SetIndexFieldNames(std::string fields);

    bool Active() const noexcept { return cursor_ != nullptr; }
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    // Filter text; on an open table it is compiled at once (EStoreEngineError 10051 when
    // wrong), any edit is posted first, and with Filtered set the table moves to the first
    // row. An empty text removes the filter.
    const std::string& Filter() const noexcept { return filter_; }
    void SetFilter(std::string text);
    bool Filtered() const noexcept { return filtered_; }
    void SetFiltered(bool filtered);  // on an open table always moves to the first row
    TStoreFilterOptions FilterOptions() const noexcept { return filterOptions_; }
    void SetFilterOptions(TStoreFilterOptions options);
    TStoreFilterRecordEvent OnFilterRecord;  // assign before opening

    bool AutoDisplayLabels = false;
    bool CopyOnAppend = false;
    bool StoreDefs = false;
    static std::string EngineVersion() { return "2.08"; }

    // The schema: used by CreateTable; rebuilt from the file when the table opens.
    TStoreFieldDefs& FieldDefs() noexcept { return fieldDefs_; }
    const TStoreFieldDefs& FieldDefs() const noexcept { return fieldDefs_; }

    // Index definitions used by CreateTable (not read back from the file).
    TStoreIndexDefs& IndexDefs() noexcept { return indexDefs_; }
    // The blob file's block size CreateTable gives a table with blob columns: 0 for the
    // usual 512 bytes, else 64 to 65536 (10029 otherwise). Short values waste less of
    // smaller blocks; long ones take more of them, each with a head of its own.
    std::uint32_t BlobBlockSize = 0;

    // Adds an index to the open table, its keys made from every row (a unique one that two
    // rows would share a key in raises 9729 and changes nothing); deletes a secondary one.
    void AddIndex(const std::string& name, const std::string& fields,
                  TStoreIndexOptions options = {}, const std::string& descFields = {});
    void DeleteIndex(const std::string& name);
    // The open table's indexes with key columns, the primary index first.
    std::vector<TStoreTableIndexInfo> IndexInfo() const;

    // --- Key searches and ranges in the current index (IndexName / IndexFieldNames). The
    // key buffers are filled through the fields in the set-key state; the leading key
    // fields given a value make the key, so a search may name fewer fields than the index
    // has. Without an index with key columns they raise "No index is active".
    void SetKey();        // set-key state, the search key cleared
    void EditKey();       // set-key state, the search key kept
    bool GotoKey();       // the first row whose key starts with the search key; false: stays
    void GotoNearest();   // the first row whose key is not below it (else the last row)
    // SetKey, the values into the index's key fields in order, then GotoKey / GotoNearest.
    bool FindKey(const std::vector<std::string>& values);
    void FindNearest(const std::vector<std::string>& values);
    void SetRangeStart();  // set-key state for the range's low end, cleared
    void SetRangeEnd();    // the high end; a range end given no key field is open
    void EditRangeStart();
    void EditRangeEnd();
    // Only rows whose key lies between the range's ends (inclusive) are visited, filters
    // work within them; the first of them becomes current.
    void ApplyRange();
    void CancelRange();
    void SetRange(const std::vector<std::string>& low, const std::vector<std::string>& high);

    // Makes the table's files from FieldDefs and IndexDefs (replacing files of that name).
    // The table must be closed. Without a primary index definition the primary index has no
    // key columns, so rows are kept in record-slot order.
    void CreateTable();

    // --- State and navigation.
    TStoreDataSetState State() const noexcept { return state_; }
    bool CanModify() const noexcept { return Active() && !readOnly_; }
    // True after MoveFirst, or after MovePrior found no earlier row; AtEnd likewise after
    // MoveLast or MoveNext found no later row. Both are true on an empty table.
    bool AtStart() const noexcept { return atStart_; }
    bool AtEnd() const noexcept { return atEnd_; }
    bool IsEmpty() const;
    int RecordCount() const;  // rows that pass the active filters

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrior();
    // Search with the Filter text and the row-filter event even when Filtered is false.
    // On success the found row becomes current and true is returned; otherwise the table
    // stays where it was.
    bool FindFirstMatch();
    bool FindNextMatch();

    TStoreBookmark GetBookmark() const;  // empty when there is no current row
    void GotoBookmark(const TStoreBookmark& bookmark);  // EStoreEngineError 8710 when gone
    bool BookmarkValid(const TStoreBookmark& bookmark) const;

    // --- Editing.
    // A new row, its fields at their defaults (or a copy of the current row with
    // CopyOnAppend), in insert state.
    void StartInsert();
    // Locks the current row and checks it is unchanged on file (8708 when it changed,
    // 10258 when another user holds it).
    void StartEdit();
    void PostRow();
    void CancelRow();
    void DeleteRow();  // 8708 when the row on file changed since it was read
    // Re-reads the table from its files and goes back to the current row.
    void RefreshRows();
    // Holds a lock of the table until UnlockTable of the same kind (the calls nest). The
    // write lock: what this process writes in between reaches other processes as one
    // change, and their reads and writes wait meanwhile. A read lock: the rows read in
    // between are of one state of the table, other readers go on, writers wait, and the
    // reads pay for no lock of their own. EStoreEngineError 10249 when the lock is not
    // obtained in time.
    void LockTable(TStoreLockType type = TStoreLockType::ltWriteLock);
    void UnlockTable(TStoreLockType type = TStoreLockType::ltWriteLock);
    // True while an edited or inserted row has field changes not yet posted.
    bool Modified() const noexcept { return modified_; }

    // --- Fields.
    int FieldCount() const noexcept { return static_cast<int>(fields_.size()); }
    TStoreField& Fields(int index) const;  // "Field index out of range"
    TStoreField* FindField(std::string_view name) const;  // without regard to case; or null
    TStoreField& FieldNamed(std::string_view name) const;  // "Field '%s' not found"

    // --- Data links (see StoreDataLink.h); links attach through TStoreDataLink::SetDataSet.
    int DataLinkCount() const noexcept { return static_cast<int>(links_.size()); }

    // Checks the open table's files against each other (headers, free-record chain, records,
    // indexes); one line per problem, none when the table is sound.
    std::vector<std::string> CheckFiles();

    // The resolved path of the data file after opening.
    const std::string& DataFilePath() const noexcept { return dataFilePath_; }

private:
    friend class TStoreField;
    friend class TStoreDataLink;

    TStoreSession& session() const;
    void openTable();
    void closeTable();
    void buildFields();
    void checkInactive() const;
    void checkActive() const;
    void checkCanModify() const;
    // Posts a modified edit or insert, cancels an unmodified one.
    void checkBrowse();
    void setState(TStoreDataSetState state);
    // Reads the cursor's current record into the row; false when there is none.
    bool readRow();
    void moveToFirstRow();
    void step(bool forward);
    bool findMatch(bool fromStart);
    // Back on the current row after the table changed, or its neighbour when it is gone.
    void repositionAfterChange();
    void applyDefaults();
    void rebuildFilter();
    void attachFilters(bool attach);
    void applyIndexName();
    // The key buffer `which` as a key prefix of the current index.
    std::vector<std::uint8_t> keyPrefix(int which);
    void startKey(int which, bool clear);
    // Back to browse from the set-key state.
    void endKey();
    void fillKey(const std::vector<std::string>& values);
    void setSearchKey(const std::vector<std::string>& values);
    // Whether the current row passes the Filter text and the row-filter event.
    bool rowPassesFilters();
    bool eventAccepts(const TStoreFilterRecordEvent& event, const std::uint8_t* image);
    // Blob values: assigned ones wait in blobEdits_ until the row is posted; read ones that
    // had to come from the file are kept (the engine keeps the others) while the row's
    // reference and the table stay as they were.
    std::string blobValue(const TStoreField& field) const;
    void readBlobValue(const TStoreField& field, std::string& value) const;
    void setBlobValue(TStoreField& field, std::string_view value);
    std::size_t blobSize(const TStoreField& field) const;
    const std::string* pendingBlob(const TStoreField& field) const;
    void notifyState();
    void notifyRowChanged();
    void notifyFieldChanged(TStoreField& field);
    void attachLink(TStoreDataLink* link);
    void detachLink(TStoreDataLink* link);

    std::string tableName_;
    std::string databaseName_;
    std::string sessionName_;
    std::string indexName_;
    std::string indexFieldNames_;
    std::string filter_;
    std::string dataFilePath_;
    bool exclusive_ = false;
    bool readOnly_ = false;
    bool requestedReadOnly_ = false;
    bool inMemory_ = false;
    bool filtered_ = false;
    TStoreFilterOptions filterOptions_;
    TStoreFieldDefs fieldDefs_;
    TStoreIndexDefs indexDefs_;

    TStoreDataSetState state_ = TStoreDataSetState::dsInactive;
    bool atStart_ = true;
    bool atEnd_ = true;
    bool modified_ = false;
    bool hasRow_ = false;
    std::vector<std::uint8_t> row_;        // the active row's record image
    std::vector<std::uint8_t> rowAsRead_;  // the image as last read, for edit/delete checks
    std::vector<std::unique_ptr<TStoreField>> fields_;
    std::vector<TStoreDataLink*> links_;  // not owned
    // Key buffers (record images) of the search key and the range's ends, with the fields
    // given a value in each, and the one the set-key state fills.
    static constexpr int kSearchKey = 0, kRangeStart = 1, kRangeEnd = 2;
    std::vector<std::uint8_t> keyBuffers_[3];
    std::vector<int> keyFields_[3];
    int keyBuffer_ = kSearchKey;
    std::map<int, std::string> blobEdits_;  // field number -> value, in edit or insert state
    struct CachedBlob {
        std::array<std::uint8_t, 9> reference{};  // null byte and reference as read
        std::uint64_t generation = 0;         // of the table when read
        std::string value;
    };
    mutable std::map<int, CachedBlob> blobCache_;

    TStoreDatabase* database_ = nullptr;  // used from open to close, not owned
    std::unique_ptr<TDataCursor> cursor_;
    // The cursor's filters of the Filter text and of the row-filter event; 0 when none.
    std::uint32_t textFilter_ = 0;
    std::uint32_t eventFilter_ = 0;
};

}  // namespace wispel
