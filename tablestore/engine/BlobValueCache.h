#pragma once
// Blob values a table object read under a read lock, by their reference, for reads that
// follow without one. Like the record cache it holds the table as this object last saw it:
// the table object empties it whenever it finds the files changed, and forgets a value
// when its own write frees the value's blocks (which another value may take next), so a
// record image from the record cache and a value from here are of one state of the table.
//
// Values read ahead stay in the spans of blocks they were read in (tablestore/format/
// BlobRuns.h) and are copied out only when asked for; a value read alone is kept as it is.
// Each value is found by its first block in an open-addressed table of its own, so keeping
// the values of a span costs no allocation per value. At most 4 MiB of spans and values
// are kept (with the values counted at 64 bytes at least); a value read alone of more than
// a quarter of that never is. An emptied cache keeps the memory of its spans for the next ones.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tablestore/format/BlobRuns.h"

namespace wispel {

class TBlobValueCache {
public:
    bool contains(const BlobReference& reference) const { return find(reference) != nullptr; }
    // The value `reference` names into `value`; false (and `value` untouched) when not held.
    bool copy(const BlobReference& reference, std::string& value) const;
    // A value read alone.
    void put(const BlobReference& reference, std::string_view value);
    // A buffer for readBlobRuns to read spans into, to be handed back through putSpans.
    std::vector<unsigned char> takeBuffer();
    // The spans readBlobRuns read into `bytes`, with the values `found` there, for blocks
    // of `blockSize` bytes.
    void putSpans(std::vector<unsigned char>&& bytes, const std::vector<BlobInRun>& found,
                  std::uint32_t blockSize);
    // Forgets the value that starts at `reference`'s first block.
    void forget(const BlobReference& reference);
    void clear();

private:
    // A value held: in piece `piece`, from byte `offset`, as blocks of `blockSize` bytes with
    // their heads, or as the value itself when `blockSize` is 0.
    struct Held {
        BlobReference reference;
        std::uint32_t piece = 0;
        std::uint32_t blockSize = 0;
        std::size_t offset = 0;
    };
    const Held* find(const BlobReference& reference) const;
    // Room for `bytes` more, emptying the cache when they do not fit; none for more than
    // `most`.
    bool makeRoom(std::size_t bytes, std::size_t most);
    void index(const Held& held);
    void keepSpare(std::vector<unsigned char>&& buffer);
    std::size_t slotOf(std::int32_t block) const;

    std::vector<std::vector<unsigned char>> pieces_;
    std::vector<std::vector<unsigned char>> spare_;  // pieces of an emptied cache, for reuse
    std::vector<Held> held_;
    // Open addressing by first block, linear probing: 0 for a free slot, else 1 + the
    // place in held_. Never more than half full.
    std::vector<std::uint32_t> slots_;
    std::size_t bytes_ = 0;
};

}  // namespace wispel
