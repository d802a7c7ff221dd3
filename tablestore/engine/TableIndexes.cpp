#include "tablestore/engine/TableIndexes.h"

#include "core/Format.h"
#include "core/TextCase.h"
#include "tablestore/format/RecordValues.h"
#include "tablestore/index/IndexChecker.h"
#include "tablestore/index/IndexLayout.h"

namespace wispel {

namespace {

constexpr int kSystem = indexlayout::kSystemSlot;

struct SystemKey {
    std::uint8_t bytes[indexlayout::kSystemKeyLength];
    SystemKey(std::uint8_t status, std::int32_t id) { buildSystemKey(status, id, bytes); }
};

}  // namespace

StoreResult TTableIndexes::open(const std::vector<ColumnDescriptor>& columns,
                                std::uint32_t recordSize) {
    columns_ = columns;
    recordSize_ = recordSize;
    keyed_.clear();
    if (StoreResult r = index_.open(columns_, recordSize_)) return r;
    const TIndexHeader& header = index_.header();
    for (int slot = 0; slot < indexlayout::kSlotCount; ++slot) {
        if (slot == kSystem || !header.slotHoldsKeys(slot)) continue;
        Keyed keyed{slot, {}};
        if (StoreResult r = makeKeyLayout(header.Slots[slot], columns_, recordSize_, keyed.layout))
            return r;
        keyed_.push_back(std::move(keyed));
    }
    return storecode::kOk;
}

StoreResult TTableIndexes::slotOf(const std::string& name, int& slot) const {
    slot = -1;
    const TIndexHeader& header = index_.header();
    if (name.empty()) {
        if (header.slotHoldsKeys(indexlayout::kPrimarySlot)) slot = indexlayout::kPrimarySlot;
        return storecode::kOk;
    }
    for (int n = 1; n < kSystem; ++n)
        if (header.slotHoldsKeys(n) && sameText(header.Slots[n].Name, name)) {
            slot = n;
            return storecode::kOk;
        }
    return storecode::kInvalidIndexName;
}

void TTableIndexes::keyFor(int slot, const std::uint8_t* image, std::vector<std::uint8_t>& key) const {
    for (const Keyed& index : keyed_)
        if (index.slot == slot) {
            key.resize(index.layout.KeyLength);
            buildKey(index.layout, image, key.data());
            return;
        }
    key.clear();
}

StoreResult TTableIndexes::keyOf(const Keyed& index, const std::uint8_t* image,
                                 std::vector<std::uint8_t>& key) {
    key.resize(index.layout.KeyLength);
    buildKey(index.layout, image, key.data());
    return storecode::kOk;
}

StoreResult TTableIndexes::addRecord(std::uint32_t record, const std::uint8_t* image,
                                     std::string& failedIndex) {
    std::vector<std::uint8_t> key;
    for (const Keyed& index : keyed_) {
        keyOf(index, image, key);
        if (StoreResult r = index_.insertKey(index.slot, key.data(), record)) {
            failedIndex = index_.header().Slots[index.slot].Name;
            return r;
        }
    }
    const RecordHeader head = readRecordHeader(image);
    return index_.insertKey(kSystem, SystemKey(recordstatus::kActive, head.recordId).bytes, record);
}

StoreResult TTableIndexes::removeRecord(std::uint32_t record, const std::uint8_t* image) {
    std::vector<std::uint8_t> key;
    for (const Keyed& index : keyed_) {
        keyOf(index, image, key);
        if (StoreResult r = index_.deleteKey(index.slot, key.data())) return r;
    }
    const RecordHeader head = readRecordHeader(image);
    if (StoreResult r = index_.deleteKey(kSystem, SystemKey(recordstatus::kActive, head.recordId).bytes))
        return r;
    return index_.insertKey(kSystem, SystemKey(recordstatus::kDeleted, head.recordId).bytes, record);
}

StoreResult TTableIndexes::reuseSlot(const std::uint8_t* deletedImage) {
    const RecordHeader head = readRecordHeader(deletedImage);
    return index_.deleteKey(kSystem, SystemKey(recordstatus::kDeleted, head.recordId).bytes);
}

StoreResult TTableIndexes::changeRecord(std::uint32_t record, const std::uint8_t* before,
                                        const std::uint8_t* after, std::string& failedIndex) {
    std::vector<std::uint8_t> oldKey, newKey;
    for (const Keyed& index : keyed_) {
        keyOf(index, before, oldKey);
        keyOf(index, after, newKey);
        if (oldKey == newKey) continue;
        if (StoreResult r = index_.deleteKey(index.slot, oldKey.data())) return r;
        if (StoreResult r = index_.insertKey(index.slot, newKey.data(), record)) {
            failedIndex = index_.header().Slots[index.slot].Name;
            return r;
        }
    }
    return storecode::kOk;
}

StoreResult TTableIndexes::activeRecords(TRecordsBitmap& active) {
    // Active records' keys start with status 0, so they come first, in record-ID order.
    TIndexTree& tree = index_.tree(kSystem);
    TIndexPosition position;
    StoreResult r = tree.first(position);
    std::uint8_t key[indexlayout::kSystemKeyLength];
    for (; r == storecode::kOk; r = tree.next(position)) {
        std::uint32_t record = 0;
        if (StoreResult e = tree.entry(position, key, record)) return e;
        if (key[0] != recordstatus::kActive) break;
        if (record == 0 || record > active.size()) return storecode::kIndexCorrupt;
        active.include(record);
    }
    return r == storecode::kEndOfFile || r == storecode::kOk ? storecode::kOk : r;
}

StoreResult TTableIndexes::rebuild(const TSlotScan& scan) {
    TIndexHeader fresh = index_.header();
    for (TIndexSlot& slot : fresh.Slots) slot.Root = slot.FreeHead = 0;
    fresh.EndOfFile = indexlayout::kPageSize;
    fresh.ActiveRecords = 0;
    if (StoreResult r = TIndexFile::create(file_, fresh)) return r;
    if (StoreResult r = open(columns_, recordSize_)) return r;
    StoreResult result = storecode::kOk;
    std::uint32_t active = 0;
    std::string ignored;
    StoreResult r = scan([&](std::uint32_t record, const std::uint8_t* image) {
        if (result != storecode::kOk) return;
        const RecordHeader head = readRecordHeader(image);
        if (head.status == recordstatus::kActive) {
            ++active;
            result = addRecord(record, image, ignored);
        } else {
            result = index_.insertKey(kSystem, SystemKey(recordstatus::kDeleted, head.recordId).bytes,
                                      record);
        }
    });
    if (r == storecode::kOk) r = result;
    if (r != storecode::kOk) {
        index_.discardPending();
        return r;
    }
    index_.setActiveRecords(active);
    return index_.writePending();
}

void TTableIndexes::check(const TSlotScan& scan, std::vector<std::string>& problems) {
    TIndexCheckReport report = checkIndexFile(index_);
    problems.insert(problems.end(), report.Problems.begin(), report.Problems.end());
    std::vector<std::uint8_t> key;
    std::uint32_t slots = 0;
    StoreResult r = scan([&](std::uint32_t record, const std::uint8_t* image) {
        ++slots;
        const RecordHeader head = readRecordHeader(image);
        bool found = false;
        std::uint32_t at = 0;
        index_.findKey(kSystem, SystemKey(head.status, head.recordId).bytes, found, at);
        if (!found || at != record)
            problems.push_back(formatMessage("record %d: not in the system index", {record}));
        if (head.status != recordstatus::kActive) return;
        for (const Keyed& index : keyed_) {
            keyOf(index, image, key);
            index_.findKey(index.slot, key.data(), found, at);
            if (!found || at != record)
                problems.push_back(formatMessage("record %d: not in index '%s'",
                                                 {record, index_.header().Slots[index.slot].Name}));
        }
    });
    if (r != storecode::kOk) problems.push_back(formatMessage("reading the records: error %d", {int(r)}));
    std::uint32_t keys = 0;
    index_.tree(kSystem).keyCount(keys);
    if (keys != slots)
        problems.push_back(formatMessage("the system index holds %d keys for %d records", {keys, slots}));
}

}  // namespace wispel
