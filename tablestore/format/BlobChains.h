#pragma once
// The blob file as a whole: which blocks belong to which value and which are free.
//
// After a crash the blocks of an operation may be half taken or half released; the values
// the records still refer to say which blocks are in use, and every other block below the
// end is free. rebuildFreeBlocks makes the free-block chain again from that; checkBlobChains
// reports a block that two values share, a block lost (in no value and not free), and a
// free chain that is damaged. Both read every block head once.

#include <cstdint>
#include <string>
#include <vector>

#include "tablestore/format/BlobFile.h"

namespace wispel {

// A value a record refers to: its record number (for reports) and its reference.
struct BlobUse {
    std::uint32_t record = 0;
    BlobReference reference;
};

// Every block below the end that no value in `live` holds goes on the free-block chain (in
// file order); the header (in memory; the caller saves it) gets the new chain head and an
// end raised to the last block a value holds. A damaged value keeps the blocks met before
// the damage.
StoreResult rebuildFreeBlocks(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                              const std::vector<BlobUse>& live);

// One sentence per problem in `problems`.
StoreResult checkBlobChains(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                            const std::vector<BlobUse>& live, std::vector<std::string>& problems);

}  // namespace wispel
