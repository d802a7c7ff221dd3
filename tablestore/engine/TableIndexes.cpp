#include "tablestore/engine/TableIndexes.h"

#include <algorithm>
#include <limits>

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
    for (std::size_t i = 0; i < keyed_.size(); ++i) {
        keyOf(keyed_[i], image, key);
        if (StoreResult r = index_.insertKey(keyed_[i].slot, key.data(), record)) {
            failedIndex = index_.header().Slots[keyed_[i].slot].Name;
            return r == storecode::kDuplicateKey ? takeBackKeys(image, i, r) : r;
        }
    }
    const RecordHeader head = readRecordHeader(image);
    StoreResult r = index_.insertKey(kSystem, SystemKey(recordstatus::kActive, head.recordId).bytes, record);
    return r == storecode::kDuplicateKey ? takeBackKeys(image, keyed_.size(), r) : r;
}

StoreResult TTableIndexes::takeBackKeys(const std::uint8_t* image, std::size_t count,
                                        StoreResult refusal) {
    std::vector<std::uint8_t> key;
    for (std::size_t i = 0; i < count; ++i) {
        keyOf(keyed_[i], image, key);
        if (StoreResult r = index_.deleteKey(keyed_[i].slot, key.data())) return r;
    }
    return refusal;
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
    return changeKeys(record, before, after, keyed_.size(), failedIndex);
}

StoreResult TTableIndexes::changeKeys(std::uint32_t record, const std::uint8_t* before,
                                      const std::uint8_t* after, std::size_t count,
                                      std::string& failedIndex) {
    std::vector<std::uint8_t> oldKey, newKey;
    for (std::size_t i = 0; i < count; ++i) {
        const Keyed& index = keyed_[i];
        keyOf(index, before, oldKey);
        keyOf(index, after, newKey);
        if (oldKey == newKey) continue;
        if (StoreResult r = index_.deleteKey(index.slot, oldKey.data())) return r;
        StoreResult r = index_.insertKey(index.slot, newKey.data(), record);
        if (r == storecode::kOk) continue;
        failedIndex = index_.header().Slots[index.slot].Name;
        if (r != storecode::kDuplicateKey) return r;
        // Refused: the indexes changed so far get their old keys back.
        if (StoreResult e = index_.insertKey(index.slot, oldKey.data(), record)) return e;
        std::string ignored;
        if (StoreResult e = changeKeys(record, after, before, i, ignored)) return e;
        return r;
    }
    return storecode::kOk;
}

StoreResult TTableIndexes::largestRecordId(std::int32_t& id) {
    // Active keys come first in ID order, then the deleted ones: the largest ID is the last
    // key's, or the last active one's just before the first deleted key.
    id = 0;
    TIndexTree& tree = index_.tree(kSystem);
    std::uint8_t key[indexlayout::kSystemKeyLength];
    std::uint32_t record = 0;
    auto take = [&](const TIndexPosition& at) -> StoreResult {
        if (StoreResult r = tree.entry(at, key, record)) return r;
        id = std::max(id, systemKeyRecordId(key));
        return storecode::kOk;
    };
    TIndexPosition position;
    StoreResult r = tree.last(position);
    if (r == storecode::kBeginOfFile || r == storecode::kEndOfFile) return storecode::kOk;
    if (r == storecode::kOk) r = take(position);
    if (r != storecode::kOk || key[0] == recordstatus::kActive) return r;
    r = tree.seek(SystemKey(recordstatus::kDeleted, std::numeric_limits<std::int32_t>::min()).bytes,
                  position);
    if (r == storecode::kOk) r = tree.prior(position);
    if (r == storecode::kOk) return take(position);
    return r == storecode::kBeginOfFile ? storecode::kOk : r;
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

int TTableIndexes::slotForFields(const std::vector<std::uint16_t>& fields) const {
    for (const Keyed& index : keyed_) {
        const TIndexSlot& slot = index_.header().Slots[index.slot];
        if (fields.empty() || fields.size() > slot.ColumnCount) continue;
        if (std::equal(fields.begin(), fields.end(), slot.FieldNumbers.begin())) return index.slot;
    }
    return -1;
}

const TKeyLayout* TTableIndexes::layout(int slot) const {
    for (const Keyed& index : keyed_)
        if (index.slot == slot) return &index.layout;
    return nullptr;
}

StoreResult TTableIndexes::rebuild(const TSlotScan& scan, const TIndexHeader* definitions) {
    TIndexHeader fresh = definitions != nullptr ? *definitions : index_.header();
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

void TTableIndexes::check(const TSlotScan& scan, TCheckFindings& findings) {
    for (const std::string& problem : checkIndexFile(index_).Problems) findings.add("%s", {problem});
    std::vector<std::uint8_t> key;
    std::uint32_t slots = 0;
    StoreResult r = scan([&](std::uint32_t record, const std::uint8_t* image) {
        ++slots;
        const RecordHeader head = readRecordHeader(image);
        bool found = false;
        std::uint32_t at = 0;
        index_.findKey(kSystem, SystemKey(head.status, head.recordId).bytes, found, at);
        if (!found || at != record) findings.add("record %d: not in the system index", {record});
        if (head.status != recordstatus::kActive) return;
        for (const Keyed& index : keyed_) {
            keyOf(index, image, key);
            index_.findKey(index.slot, key.data(), found, at);
            if (!found || at != record)
                findings.add("record %d: not in index '%s'",
                             {record, index_.header().Slots[index.slot].Name});
        }
    });
    if (r != storecode::kOk) findings.add("reading the records: error %d", {int(r)});
    std::uint32_t keys = 0;
    index_.tree(kSystem).keyCount(keys);
    if (keys != slots) findings.add("the system index holds %d keys for %d records", {keys, slots});
}

}  // namespace wispel
