#include "tablestore/index/IndexFile.h"

#include "tablestore/format/ByteOrder.h"
#include "tablestore/index/TryResult.h"

namespace wispel {

using namespace indexlayout;

TIndexFile::TIndexFile(StoreFile& file) : file_(file), store_(file, header_) {}

StoreResult TIndexFile::create(StoreFile& file, const TIndexHeader& header) {
    TIndexHeader first = header;
    ++first.ChangeCounter;
    std::uint8_t image[kPageSize];
    encodeIndexHeader(first, true, image);
    WISPEL_TRY(file.truncate(0));
    return file.write(0, image, kPageSize);
}

StoreResult TIndexFile::readHeader(TIndexHeader& header) {
    std::uint64_t size = 0;
    WISPEL_TRY(file_.size(size));
    if (size < kPageSize) return storecode::kHeaderCorrupt;
    std::uint8_t image[kPageSize];
    WISPEL_TRY(file_.read(0, image, kPageSize));
    WISPEL_TRY(decodeIndexHeader(image, header));
    return checkIndexHeader(header, size, columns_, recordSize_);
}

StoreResult TIndexFile::open(std::span<const ColumnDescriptor> columns,
                             std::uint32_t recordSize) {
    columns_.assign(columns.begin(), columns.end());
    recordSize_ = recordSize;
    TIndexHeader read;
    WISPEL_TRY(readHeader(read));
    header_ = read;
    written_ = read;
    store_.dropAll();
    for (auto& tree : trees_) tree.reset();
    return storecode::kOk;
}

StoreResult TIndexFile::reread(const std::uint8_t* image, bool& changed) {
    changed = false;
    if (static_cast<std::int32_t>(getLe32(image)) == written_.ChangeCounter) return storecode::kOk;
    return reread(changed);
}

StoreResult TIndexFile::reread(bool& changed) {
    changed = false;
    TIndexHeader read;
    WISPEL_TRY(readHeader(read));
    if (read.ChangeCounter == written_.ChangeCounter) return storecode::kOk;
    changed = true;
    header_ = read;
    written_ = read;
    store_.dropAll();
    for (auto& tree : trees_) tree.reset();
    return storecode::kOk;
}

TIndexTree& TIndexFile::tree(int slot) {
    if (trees_[slot] == nullptr) trees_[slot] = std::make_unique<TIndexTree>(store_, header_, slot);
    return *trees_[slot];
}

StoreResult TIndexFile::failed(StoreResult result) {
    if (result != storecode::kOk && result != storecode::kDuplicateKey) discardPending();
    return result;
}

StoreResult TIndexFile::insertKey(int slot, const std::uint8_t* key, std::uint32_t recordNumber) {
    if (slot < 0 || slot >= kSlotCount || !header_.slotHoldsKeys(slot)) {
        return storecode::kIndexCorrupt;
    }
    return failed(tree(slot).insert(key, recordNumber));
}

StoreResult TIndexFile::deleteKey(int slot, const std::uint8_t* key) {
    if (slot < 0 || slot >= kSlotCount || !header_.slotHoldsKeys(slot)) {
        return storecode::kIndexCorrupt;
    }
    return failed(tree(slot).remove(key));
}

StoreResult TIndexFile::findKey(int slot, const std::uint8_t* key, bool& found,
                                std::uint32_t& recordNumber) {
    found = false;
    if (slot < 0 || slot >= kSlotCount || !header_.slotHoldsKeys(slot)) {
        return storecode::kIndexCorrupt;
    }
    return tree(slot).find(key, found, recordNumber);
}

StoreResult TIndexFile::writePending() {
    if (!store_.hasPending() && header_ == written_) return storecode::kOk;
    WISPEL_TRY(store_.writePending());
    // Other handles notice every change, also one that only touched pages, by the counter.
    const bool headerChanged = !(header_ == written_);
    ++header_.ChangeCounter;
    std::uint8_t image[kPageSize];
    encodeIndexHeader(header_, headerChanged, image);
    if (StoreResult result = file_.write(0, image, kPageSize); result != storecode::kOk) {
        --header_.ChangeCounter;
        return result;
    }
    written_ = header_;
    store_.trim();
    return storecode::kOk;
}

void TIndexFile::discardPending() {
    store_.discardPending();
    header_ = written_;
}

}  // namespace wispel
