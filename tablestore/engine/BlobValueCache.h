#pragma once
// Blob values a table object read under a read lock, by their reference, for reads that
// follow without one. Like the record cache it holds the table as this object last saw it:
// the table object empties it whenever it finds the files changed, and forgets a value
// when its own write frees the value's blocks (which another value may take next), so a
// record image from the record cache and a value from here are of one state of the table.
// At most 4 MiB of values are kept; a value of more than a quarter of that never is.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "tablestore/format/BlobFile.h"

namespace wispel {

class TBlobValueCache {
public:
    // The value `reference` names, or null.
    const std::string* find(const BlobReference& reference) const;
    bool contains(const BlobReference& reference) const { return find(reference) != nullptr; }
    void put(const BlobReference& reference, const std::string& value);
    // The same, taking the value's bytes.
    void put(const BlobReference& reference, std::string&& value);
    // Forgets the value that starts at `reference`'s first block.
    void forget(const BlobReference& reference);
    void clear();

private:
    struct Held {
        std::uint32_t length;
        std::string value;
    };
    std::unordered_map<std::int32_t, Held> values_;  // by first block
    std::size_t bytes_ = 0;
};

}  // namespace wispel
