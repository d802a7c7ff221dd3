// Checking a table's files against each other: what `wispel-sites check` reports. Everything
// is read again from the files under a read lock.

#include <set>

#include "core/Format.h"
#include "tablestore/engine/DataTable.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/RecordSlots.h"

namespace wispel {

StoreResult TDataTable::check(std::vector<std::string>& problems) {
    if (StoreResult r = locks_->takeReadLock()) return fail(r);
    bool changed = false;
    StoreResult r = reloadIfChanged(changed);
    if (r == storecode::kOk) r = checkFiles(problems);
    StoreResult released = locks_->releaseReadLock();
    return fail(r ? r : released);
}

StoreResult TDataTable::checkFiles(std::vector<std::string>& problems) {
    TPendingOperation note;
    if (StoreResult r = readOperationNote(index_->file(), note)) return r;
    if (note.kind != TPendingKind::none)
        problems.push_back("an insert, modify or delete was left unfinished");
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    if (StoreResult r = loadDataFile(data_->file(), header, columns)) {
        problems.push_back(formatMessage("data file header: error %d", {int(r)}));
        return storecode::kOk;
    }
    std::uint32_t chainLength = 0;
    if (StoreResult r = checkFreeChain(data_->file(), header, chainLength))
        problems.push_back(formatMessage("free-record chain: error %d", {int(r)}));

    std::uint32_t active = 0, deleted = 0;
    std::set<std::int32_t> ids;
    StoreResult r = scanSlots([&](std::uint32_t n, const std::uint8_t* image) {
        const RecordHeader head = readRecordHeader(image);
        if (head.status == recordstatus::kDeleted) {
            ++deleted;
            return;
        }
        ++active;
        if (head.status != recordstatus::kActive)
            problems.push_back(formatMessage("record %d: status %d", {n, int(head.status)}));
        else if (head.link != n)
            problems.push_back(formatMessage("record %d: holds the number %d", {n, int(head.link)}));
        if (head.recordId <= 0 || !ids.insert(head.recordId).second)
            problems.push_back(formatMessage("record %d: ID %d is not unique", {n, head.recordId}));
    });
    if (r != storecode::kOk) return r;
    if (deleted != chainLength)
        problems.push_back(formatMessage("%d deleted records but %d in the free-record chain",
                                         {deleted, chainLength}));
    if (indexes_->activeRecords() != active)
        problems.push_back(formatMessage("index header counts %d active records, the data file %d",
                                         {int(indexes_->activeRecords()), active}));
    indexes_->check(slotScan(), problems);
    return storecode::kOk;
}

}  // namespace wispel
