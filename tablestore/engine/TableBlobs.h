#pragma once
// The blob file of one table object: its header image, reading values, and the blob side of
// an insert, modify or delete, which writes new values into blocks no record refers to yet
// and releases the old ones only after the data header (and so the operation) is written.
// Until then every block a committed record refers to stays as it is, which is what lets a
// crash or a failed write be undone:
//   - a failed write inside the process: undo() puts back the blocks this operation took
//     from the free-block chain and the values it released, and the header as it was;
//   - a crash: the next process finds the operation's note and calls rebuild() with the
//     values the records refer to; every other block below the end becomes free.
//
// *file must outlive this object.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tablestore/engine/FileList.h"
#include "tablestore/format/BlobChains.h"
#include "tablestore/format/BlobRuns.h"

namespace wispel {

// The most bytes one blob value may hold.
constexpr std::uint32_t kMaxBlobValueLength = 16u * 1024 * 1024;

// New values for blob columns of a record being posted, by field number.
struct TBlobValue {
    std::uint16_t fieldNumber = 0;
    std::string value;
};
using TBlobValues = std::vector<TBlobValue>;

class TTableBlobs {
public:
    TTableBlobs(TAbstractFile& file, std::uint32_t blockSize) : file_(file), blockSize_(blockSize) {}
    TTableBlobs(const TTableBlobs&) = delete;
    TTableBlobs& operator=(const TTableBlobs&) = delete;

    StoreResult load();
    // The header read again; `changed` when its change counter moved.
    StoreResult reread(bool& changed);
    const BlobHeader& header() const noexcept { return header_; }

    // 8963 for a damaged chain, 8711 when the file ends inside the value.
    StoreResult read(const BlobReference& reference, std::string& value);
    // Many values at once, neighbouring ones in one read (tablestore/format/BlobRuns.h):
    // `found` gets each value that came whole in `bytes`; the others are left to read().
    StoreResult readRuns(const std::vector<BlobReference>& references,
                         std::vector<unsigned char>& bytes, std::vector<BlobInRun>& found);

    // One operation: every write before every release, then saveHeader; forget() when the
    // operation is done, undo() when it failed.
    // The values of one row, each with its reference in `references`.
    StoreResult write(std::span<const std::string_view> values, std::vector<BlobReference>& references);
    // `checked`: the value was read whole since the file last changed (freeBlob).
    StoreResult release(const BlobReference& reference, bool checked = false);
    StoreResult saveHeader();
    bool changed() const noexcept { return header_ != before_; }
    // The header differs from the one last read or written: a write lock held across
    // several operations saves it once, at the end.
    bool unsaved() const noexcept { return header_ != saved_; }
    void forget();
    StoreResult undo();

    // After a crash: the free-block chain made again around the values `live`, header saved.
    StoreResult rebuild(const std::vector<BlobUse>& live);
    StoreResult check(const std::vector<BlobUse>& live, std::vector<std::string>& problems);

private:
    struct Released {
        std::vector<std::uint32_t> chain;
        std::uint32_t length;
    };
    TAbstractFile& file_;
    std::uint32_t blockSize_;
    BlobHeader header_;
    BlobHeader before_;                // as the operation found it
    BlobHeader saved_;                 // as the file holds it
    std::vector<std::uint32_t> taken_;  // free blocks the operation's writes took, in order
    std::uint32_t headAfterTakes_ = 0;
    std::vector<Released> released_;
    // The links this object wrote into the blocks it freed, while no one else can have
    // written the file (forgotten whenever the header is read again): taking such a block
    // back needs no read.
    TFreeLinks freeLinks_;
};

}  // namespace wispel
