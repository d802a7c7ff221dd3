// Checking a table's files against each other: what `wispel-sites check` reports. Everything
// is read again from the files under a read lock, nothing from the caches.

#include <set>

#include "core/Format.h"
#include "tablestore/engine/DataTable.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/RecordSlots.h"

namespace wispel {

StoreResult TDataTable::check(std::vector<std::string>& problems) {
    if (StoreResult r = locks_->takeReadLock()) return fail(r);
    StoreResult r = checkFiles(problems);
    StoreResult released = locks_->releaseReadLock();
    return fail(r ? r : released);
}

StoreResult TDataTable::checkFiles(std::vector<std::string>& problems) {
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    TIndexHeader indexHeader;
    if (StoreResult r = index_->read(0, indexHeader.image.data(), indexHeader.image.size()))
        return r;
    if (indexHeader.pending().kind != TPendingKind::none)
        problems.push_back("an insert, modify or delete was left unfinished");
    if (StoreResult r = loadDataFile(data_->file(), header, columns)) {
        problems.push_back(formatMessage("data file header: error %d", {int(r)}));
        return storecode::kOk;
    }
    std::uint32_t chainLength = 0;
    if (StoreResult r = checkFreeChain(data_->file(), header, chainLength))
        problems.push_back(formatMessage("free-record chain: error %d", {int(r)}));

    const std::uint32_t slots = recordSlotCount(header);
    std::uint32_t active = 0, deleted = 0;
    std::set<std::int32_t> ids;
    RecordImage record;
    for (std::uint32_t n = 1; n <= slots; ++n) {
        if (StoreResult r = loadRecord(data_->file(), header, n, record)) return r;
        const RecordHeader head = readRecordHeader(record.data());
        if (head.status == recordstatus::kDeleted) {
            ++deleted;
            continue;
        }
        ++active;
        if (head.status != recordstatus::kActive)
            problems.push_back(formatMessage("record %d: status %d", {n, int(head.status)}));
        else if (head.link != n)
            problems.push_back(formatMessage("record %d: holds the number %d", {n, int(head.link)}));
        if (head.recordId <= 0 || !ids.insert(head.recordId).second)
            problems.push_back(formatMessage("record %d: ID %d is not unique", {n, head.recordId}));
    }
    if (deleted != chainLength)
        problems.push_back(formatMessage("%d deleted records but %d in the free-record chain",
                                         {deleted, chainLength}));
    if (indexHeader.activeRecords() != active)
        problems.push_back(formatMessage("index header counts %d active records, the data file %d",
                                         {int(indexHeader.activeRecords()), active}));
    return storecode::kOk;
}

}  // namespace wispel
