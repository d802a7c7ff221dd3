#pragma once
// Reading many blob values at once. Values written one after another lie in neighbouring
// blocks, so a walk over rows that reads the same column of each mostly asks for blocks
// close together: reading them a span at a time costs one read for dozens of values where
// readBlob would make one each.
//
// Where the file system maps the file into memory the blocks are not read at all: each value
// is copied out of the mapping, and the blocks of the values between (another column's, in
// a table whose rows hold several) cost nothing.
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

// A value found whole: its bytes start `offset` bytes into the values read.
struct BlobInRun {
    BlobReference reference;
    std::size_t offset = 0;
};

// Reads the values `references` name (in any order, repeats allowed), neighbouring ones in
// one read of up to a megabyte into `spans` (kept by the caller from one call to the next,
// so that it is allocated once), or straight from the file's view when it has one. The
// values that are there whole and checked as readBlob checks them go one after another into
// `values` (emptied first; its capacity kept); `found` receives each of them, once, in file
// order. Only failures of the file are returned; what was found before one stays found.
StoreResult readBlobRuns(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                         std::vector<BlobReference> references, std::vector<unsigned char>& spans,
                         std::vector<unsigned char>& values, std::vector<BlobInRun>& found);

}  // namespace wispel
