#pragma once
// The blob file of a table with blob columns (doc/table_format.md, "Blob file"): a 512-byte
// header, then blocks of the data header's blob block size. A value is a chain of blocks;
// each block starts with the offset of the next block and the number of value bytes it
// holds. Released blocks form the free-block chain that new values take first.
//
// As with the data file, the header is written by the caller after the blocks, in the
// order it chooses (saveBlobHeader); writeBlob and freeBlob only change `header` in memory.

#include <cstdint>
#include <memory>
#include <string>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/format/ByteOrder.h"
#include "tablestore/format/DataHeader.h"

namespace wispel {

constexpr std::size_t kBlobHeaderSize = 512;
constexpr std::size_t kBlobBlockHeaderSize = 8;  // next block, bytes held
constexpr std::uint32_t kDefaultBlobBlockSize = 512;
constexpr std::uint32_t kMinBlobBlockSize = 64;
constexpr std::uint32_t kMaxBlobBlockSize = 65536;

struct BlobHeader {
    std::int32_t changeCounter = 0;
    std::uint8_t version = kFormatVersion;
    std::uint32_t freeChainHead = 0;  // offset of the first free block, 0 when none
    std::uint32_t usedEnd = kBlobHeaderSize;  // where the next new block goes
    bool changed = false;  // written as 1 when the header changed; ignored on read
    bool operator==(const BlobHeader&) const = default;
};

BlobHeader readBlobHeader(const unsigned char* bytes);
void writeBlobHeader(const BlobHeader& header, unsigned char* bytes);

// The 8 bytes of a blob column's value in a record.
struct BlobReference {
    std::int32_t block = 0;    // number of the first block, from 1; 0 for an empty value
    std::uint32_t length = 0;  // bytes of the value
    bool operator==(const BlobReference&) const = default;
};
BlobReference readBlobReference(const unsigned char* bytes);
void writeBlobReference(const BlobReference& reference, unsigned char* bytes);

// The data header's blob block size (0 stands for 512).
std::uint32_t blobBlockSize(const DataHeader& header);

// 12035 for a version other than 4; 8961 for a block size outside 64 to 65536, or an end or
// free-chain head that is not on a block boundary inside the file's real length.
StoreResult checkBlobHeader(const BlobHeader& header, std::uint32_t blockSize,
                            std::uint64_t fileLength);

StoreResult createBlobFile(StoreFileSystem& files, const std::string& path, BlobHeader& header,
                           std::unique_ptr<StoreFile>& file);
StoreResult loadBlobHeader(StoreFile& file, std::uint32_t blockSize, BlobHeader& header);
// Counter + 1, then the whole 512 bytes at offset 0.
StoreResult saveBlobHeader(StoreFile& file, BlobHeader& header, bool changed);

// Reads a value. A chain that leaves the used blocks, loops, holds the wrong number of
// bytes or is longer than the used blocks can hold gives 8963, before anything is allocated
// for it.
StoreResult readBlob(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                     const BlobReference& reference, std::string& value);
// Writes a value into free blocks first, then new ones at the end (9479 past 2000000000
// bytes); `reference` receives where it went. `taken`, when given, receives the blocks taken
// from the free-block chain, in chain order, so that a caller can give them back. When
// taking the blocks fails the header is as it was; when writing them fails it holds them.
StoreResult writeBlob(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                      std::string_view value, BlobReference& reference,
                      std::vector<std::uint32_t>* taken = nullptr);
// The same for several values (a row's), whose blocks side by side go out in one write;
// `references` receives one reference per value, in order. `freeLinks`, when given, holds
// the links of free blocks as the caller itself wrote them (block offset -> next free block
// offset): a block taken from the chain with its link there is not read again.
using TFreeLinks = std::unordered_map<std::uint32_t, std::uint32_t>;
StoreResult writeBlobs(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                       std::span<const std::string_view> values,
                       std::vector<BlobReference>& references,
                       std::vector<std::uint32_t>* taken = nullptr,
                       const TFreeLinks* freeLinks = nullptr);
// Puts every block of a value on the free-block chain; `chain`, when given, receives the
// value's blocks in value order, so that a caller can restore it. A value `checked` (read
// whole and found as its reference says since the file last changed) that fits one block
// is freed without reading its block's head again.
StoreResult freeBlob(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                     const BlobReference& reference, std::vector<std::uint32_t>* chain = nullptr,
                     bool checked = false);

// The file offset of block `block` (from 1), and the block at a file offset.
std::uint64_t blobBlockOffset(std::uint32_t blockSize, std::int32_t block);
std::int32_t blobBlockNumber(std::uint32_t blockSize, std::uint64_t offset);
// The two fields of a block's 8-byte head: the next block's offset (0 ends a chain) and
// the value bytes the block holds (0 in a free block).
inline std::uint32_t blobBlockNext(const unsigned char* head) { return getLe32(head); }
inline std::uint32_t blobBlockHeld(const unsigned char* head) { return getLe32(head + 4); }
// Writes the 8-byte head of one block: the next link and the value bytes it holds.
StoreResult writeBlobBlockHead(StoreFile& file, std::uint32_t offset, std::uint32_t next,
                               std::uint32_t held);

}  // namespace wispel
