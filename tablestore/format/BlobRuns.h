#pragma once
// Reading many blob values at once. Values written one after another lie in neighbouring
// blocks, so a walk over rows that reads the same column of each mostly asks for blocks
// close together: reading them a span at a time costs one read for dozens of values where
// readBlob would make one each.
//
// The spans stay as they were read, blocks with their heads: a value is copied out of them
// only when it is asked for, straight into the asker's string, so that reading ahead costs
// no allocation per value.
//
// This path only takes the easy case, a value whose chain runs through adjacent blocks;
// anything else (a chain that jumps, a block that does not check out) is passed over and
// left to readBlob, which reads it alone and reports what is wrong with it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/format/BlobFile.h"

namespace wispel {

// A value found whole in the spans read: its first block starts `offset` bytes into them.
struct BlobInRun {
    BlobReference reference;
    std::size_t offset = 0;
};

// Reads the values `references` name (in any order, repeats allowed), neighbouring ones in
// one read of up to a megabyte, the spans one after another into `bytes` from its start
// (grown when too small, never shrunk). `found`
// receives each value that is there whole and checked as readBlob checks it, once, in file
// order. Only read errors of the file are returned; what was found before one stays found.
StoreResult readBlobRuns(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                         std::vector<BlobReference> references, std::vector<unsigned char>& bytes,
                         std::vector<BlobInRun>& found);

// The value `value` found at in `bytes`, which readBlobRuns filled, into `text`.
void copyBlobInRun(const unsigned char* bytes, std::uint32_t blockSize, const BlobInRun& value,
                   std::string& text);

}  // namespace wispel
