#pragma once
// Reading many blob values at once. Values written one after another lie in neighbouring
// blocks, so a walk over rows that reads the same column of each mostly asks for blocks
// close together: reading them a span at a time costs one read for dozens of values where
// readBlob would make one each.
//
// This path only takes the easy case, a value whose chain runs through adjacent blocks;
// anything else (a chain that jumps, a block that does not check out) is passed over and
// left to readBlob, which reads it alone and reports what is wrong with it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/format/BlobFile.h"

namespace wispel {

// Reads the values `references` name (in any order, repeats allowed), neighbouring ones in
// one read of up to a megabyte, and hands each value read whole, and checked as readBlob
// checks it, to `take`. Only read errors of the file are returned. `buffer` holds the spans
// read; kept by the caller from one call to the next, it is allocated once.
StoreResult readBlobRuns(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                         std::vector<BlobReference> references, std::vector<unsigned char>& buffer,
                         const std::function<void(const BlobReference&, std::string&)>& take);

}  // namespace wispel
