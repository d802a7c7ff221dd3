#include "tablestore/engine/TableBlobs.h"

namespace wispel {

StoreResult TTableBlobs::load() {
    freeLinks_.clear();
    if (StoreResult r = loadBlobHeader(file_.file(), blockSize_, header_)) return r;
    before_ = saved_ = header_;
    return storecode::kOk;
}

StoreResult TTableBlobs::reread(bool& changed) {
    const std::int32_t counter = header_.changeCounter;
    if (StoreResult r = load()) return r;
    changed = header_.changeCounter != counter;
    return storecode::kOk;
}

StoreResult TTableBlobs::read(const BlobReference& reference, std::string& value) {
    return readBlob(file_.file(), header_, blockSize_, reference, value);
}

StoreResult TTableBlobs::readRuns(const std::vector<BlobReference>& references,
                                  std::vector<unsigned char>& bytes,
                                  std::vector<BlobInRun>& found) {
    return readBlobRuns(file_.file(), header_, blockSize_, references, bytes, found);
}

StoreResult TTableBlobs::write(std::span<const std::string_view> values,
                               std::vector<BlobReference>& references) {
    const BlobHeader found = header_;
    const std::size_t takenBefore = taken_.size();
    StoreResult r =
        writeBlobs(file_.file(), header_, blockSize_, values, references, &taken_, &freeLinks_);
    // A failure while taking blocks wrote none of them: their links on file still hold.
    if (header_ == found) taken_.resize(takenBefore);
    else headAfterTakes_ = header_.freeChainHead;
    for (std::size_t i = takenBefore; i < taken_.size(); ++i) freeLinks_.erase(taken_[i]);
    return r;
}

StoreResult TTableBlobs::release(const BlobReference& reference, bool checked) {
    if (reference.length == 0) return storecode::kOk;
    Released released{{}, reference.length};
    const std::uint32_t head = header_.freeChainHead;
    StoreResult r =
        freeBlob(file_.file(), header_, blockSize_, reference, &released.chain, checked);
    // Each block links to the one freed before it, the first to the chain's head. A few
    // thousand values' worth is what a run of changes takes back; past that it is read.
    constexpr std::size_t kKeptLinks = 1u << 16;
    if (r == storecode::kOk && freeLinks_.size() + released.chain.size() <= kKeptLinks) {
        std::uint32_t next = head;
        for (std::uint32_t block : released.chain) {
            freeLinks_[block] = next;
            next = block;
        }
    }
    // The chain is known before the first block is written: keep it for an undo either way.
    if (!released.chain.empty()) released_.push_back(std::move(released));
    return r;
}

StoreResult TTableBlobs::saveHeader() {
    if (StoreResult r = saveBlobHeader(file_.file(), header_, true)) return r;
    saved_ = header_;
    return storecode::kOk;
}

void TTableBlobs::forget() {
    before_ = header_;
    taken_.clear();
    released_.clear();
}

StoreResult TTableBlobs::undo() {
    freeLinks_.clear();
    StoreResult r = storecode::kOk;
    const std::uint32_t room = blockSize_ - kBlobBlockHeaderSize;
    for (const Released& value : released_) {
        std::uint32_t left = value.length;
        for (std::size_t i = 0; i < value.chain.size() && r == storecode::kOk; ++i) {
            const std::uint32_t held = left < room ? left : room;
            const std::uint32_t next = i + 1 < value.chain.size() ? value.chain[i + 1] : 0;
            r = writeBlobBlockHead(file_.file(), value.chain[i], next, held);
            left -= held;
        }
    }
    // The blocks taken went from the head of the chain in order: they lead to what was left.
    for (std::size_t i = 0; i < taken_.size() && r == storecode::kOk; ++i) {
        const std::uint32_t next = i + 1 < taken_.size() ? taken_[i + 1] : headAfterTakes_;
        r = writeBlobBlockHead(file_.file(), taken_[i], next, 0);
    }
    const bool headerWritten = header_.changeCounter != before_.changeCounter;
    header_ = before_;
    if (r == storecode::kOk && headerWritten) r = saveHeader();
    if (r == storecode::kOk) forget();
    return r;
}

StoreResult TTableBlobs::rebuild(const std::vector<BlobUse>& live) {
    freeLinks_.clear();
    if (StoreResult r = rebuildFreeBlocks(file_.file(), header_, blockSize_, live)) return r;
    if (StoreResult r = saveHeader()) return r;
    forget();
    return storecode::kOk;
}

StoreResult TTableBlobs::check(const std::vector<BlobUse>& live, std::vector<std::string>& problems) {
    return checkBlobChains(file_.file(), header_, blockSize_, live, problems);
}

}  // namespace wispel
