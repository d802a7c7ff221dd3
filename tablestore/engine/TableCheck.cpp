// Checking a table's files against each other: what `wispel-sites check` reports. Everything
// is read again from the files under a read lock, the records in large runs; what is kept in
// memory grows with the records' count only by their IDs (four bytes each), and the findings
// are capped (TCheckFindings).

#include <algorithm>

#include "tablestore/engine/DataTable.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/RecordSlots.h"

namespace wispel {

namespace {

// The values of an active record that break their encodings: a null byte other than 0 or 1,
// text without its terminating zero, a Boolean other than 0 or 1.
void checkValues(std::uint32_t n, const std::uint8_t* image,
                 const std::vector<ColumnDescriptor>& columns, TCheckFindings& findings) {
    for (const ColumnDescriptor& c : columns) {
        if (c.isAutoInc() || c.width == 0) continue;
        const std::uint8_t null = image[c.offset];
        if (null > 1) {
            findings.add("record %d: %s has the null byte %d", {n, c.name, int(null)});
            continue;
        }
        if (null == 0) continue;
        const std::uint8_t* value = image + c.offset + 1;
        if (c.type == enginetype::kText && std::find(value, value + c.width, 0) == value + c.width)
            findings.add("record %d: %s holds text without its ending zero", {n, c.name});
        if (c.type == enginetype::kBoolean && uint16Value(image, c) > 1)
            findings.add("record %d: %s holds the Boolean value %d", {n, c.name, uint16Value(image, c)});
    }
}

}  // namespace

StoreStatus TDataTable::check(std::vector<std::string>& problems) {
    // Under a held write lock the files are checked as its operations left them.
    if (deferred_) {
        if (StoreStatus r = writeDeferred()) return r;
    }
    if (StoreResult r = locks_->takeReadLock()) return r;
    bool changed = false;
    TCheckFindings findings;
    StoreStatus r = reloadIfChanged(changed);
    if (r == storecode::kOk) r = checkFiles(findings);
    StoreResult released = locks_->releaseReadLock();
    problems = findings.lines();
    if (r) return r;
    return released;
}

StoreStatus TDataTable::checkFiles(TCheckFindings& findings) {
    TPendingOperation note;
    if (StoreResult r = readOperationNote(index_->file(), note)) return r;
    if (note.kind != TPendingKind::none) findings.add("an insert, modify or delete was left unfinished", {});
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    if (StoreResult r = loadDataFile(data_->file(), header, columns)) {
        findings.add("data file header: error %d", {int(r)});
        return storecode::kOk;
    }
    std::uint32_t chainLength = 0;
    if (StoreResult r = checkFreeChain(data_->file(), header, chainLength))
        findings.add("free-record chain: error %d", {int(r)});

    std::uint32_t active = 0, deleted = 0;
    std::vector<std::int32_t> ids;  // of the active records
    StoreStatus r = scanSlots([&](std::uint32_t n, const std::uint8_t* image) {
        const RecordHeader head = readRecordHeader(image);
        if (head.status == recordstatus::kDeleted) {
            ++deleted;
            return;
        }
        ++active;
        if (head.status != recordstatus::kActive)
            findings.add("record %d: status %d", {n, int(head.status)});
        else if (head.link != n)
            findings.add("record %d: holds the number %d", {n, int(head.link)});
        if (head.recordId <= 0) findings.add("record %d: ID %d is not a record ID", {n, head.recordId});
        else ids.push_back(head.recordId);
        checkValues(n, image, columns, findings);
    });
    if (r != storecode::kOk) return r;
    std::sort(ids.begin(), ids.end());
    for (std::size_t i = 1; i < ids.size(); ++i) {
        if (ids[i] == ids[i - 1]) findings.add("ID %d is held by more than one record", {ids[i]});
    }
    if (!ids.empty() && header.lastAutoInc < ids.back())
        findings.add("the last record ID handed out, %d, is below the largest ID in use, %d",
                     {header.lastAutoInc, ids.back()});
    if (deleted != chainLength)
        findings.add("%d deleted records but %d in the free-record chain", {deleted, chainLength});
    if (indexes_->activeRecords() != active)
        findings.add("index header counts %d active records, the data file %d",
                     {int(indexes_->activeRecords()), active});
    indexes_->check([this](const auto& visit) { return scanSlots(visit).code(); }, findings);
    return checkBlobFile(findings);
}

StoreStatus TDataTable::checkBlobFile(TCheckFindings& findings) {
    if (!blobs_) return storecode::kOk;
    if (StoreResult r = blobs_->load()) {
        findings.add("blob file header: error %d", {int(r)});
        return storecode::kOk;
    }
    std::vector<BlobUse> uses;
    if (StoreStatus r = collectBlobUses(uses)) return r;
    std::vector<std::string> problems;
    if (StoreResult r = blobs_->check(uses, problems)) return {r, blobPath_};
    for (const std::string& problem : problems) findings.add("%s", {problem});
    return storecode::kOk;
}

}  // namespace wispel
