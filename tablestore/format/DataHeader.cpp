// Data file header bytes: doc/table_format.md, "Data file header".

#include "tablestore/format/DataHeader.h"

#include <cstring>

#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

constexpr std::size_t kChangeCounter = 0;
constexpr std::size_t kBlobBlockSize = 4;
constexpr std::size_t kVersion = 8;
constexpr std::size_t kFreeChainHead = 9;
constexpr std::size_t kNextRecordNumber = 13;
constexpr std::size_t kLastAutoInc = 17;
constexpr std::size_t kRecordSize = 21;
constexpr std::size_t kColumnCount = 23;
constexpr std::size_t kBlobColumnCount = 25;
constexpr std::size_t kWriteTime = 27;
constexpr std::size_t kDescription = 35;
constexpr std::size_t kEnciphered = 86;
constexpr std::size_t kPasswordCheck = 87;
constexpr std::size_t kLanguageId = 103;
constexpr std::size_t kSortId = 105;
constexpr std::size_t kCreatorValue1 = 107;
constexpr std::size_t kCreatorValue2 = 109;
constexpr std::size_t kChanged = 111;
constexpr std::size_t kBlobWriteCounter = 112;
constexpr std::size_t kEngineVersion = 116;

}  // namespace

DataHeader readDataHeader(const unsigned char* p) {
    DataHeader h;
    h.changeCounter = static_cast<std::int32_t>(getLe32(p + kChangeCounter));
    h.blobBlockSize = getLe32(p + kBlobBlockSize);
    h.version = p[kVersion];
    h.freeChainHead = getLe32(p + kFreeChainHead);
    h.nextRecordNumber = getLe32(p + kNextRecordNumber);
    h.lastAutoInc = static_cast<std::int32_t>(getLe32(p + kLastAutoInc));
    h.recordSize = getLe16(p + kRecordSize);
    h.columnCount = getLe16(p + kColumnCount);
    h.blobColumnCount = getLe16(p + kBlobColumnCount);
    h.writeTime = getLeDouble(p + kWriteTime);
    h.description = getShortText(p + kDescription, kMaxTableDescriptionLength);
    h.enciphered = p[kEnciphered] != 0;
    h.passwordCheck = getShortText(p + kPasswordCheck, kMaxPasswordCheckLength);
    h.languageId = getLe16(p + kLanguageId);
    h.sortId = getLe16(p + kSortId);
    h.creatorValue1 = getLe16(p + kCreatorValue1);
    h.creatorValue2 = getLe16(p + kCreatorValue2);
    h.changed = p[kChanged] != 0;
    h.blobWriteCounter = static_cast<std::int32_t>(getLe32(p + kBlobWriteCounter));
    h.engineVersion = static_cast<std::int64_t>(getLe64(p + kEngineVersion));
    return h;
}

void writeDataHeader(const DataHeader& h, unsigned char* p) {
    std::memset(p, 0, kDataHeaderSize);
    putLe32(p + kChangeCounter, static_cast<std::uint32_t>(h.changeCounter));
    putLe32(p + kBlobBlockSize, h.blobBlockSize);
    p[kVersion] = h.version;
    putLe32(p + kFreeChainHead, h.freeChainHead);
    putLe32(p + kNextRecordNumber, h.nextRecordNumber);
    putLe32(p + kLastAutoInc, static_cast<std::uint32_t>(h.lastAutoInc));
    putLe16(p + kRecordSize, h.recordSize);
    putLe16(p + kColumnCount, h.columnCount);
    putLe16(p + kBlobColumnCount, h.blobColumnCount);
    putLeDouble(p + kWriteTime, h.writeTime);
    putShortText(p + kDescription, kMaxTableDescriptionLength, h.description);
    p[kEnciphered] = h.enciphered ? 1 : 0;
    putShortText(p + kPasswordCheck, kMaxPasswordCheckLength, h.passwordCheck);
    putLe16(p + kLanguageId, h.languageId);
    putLe16(p + kSortId, h.sortId);
    putLe16(p + kCreatorValue1, h.creatorValue1);
    putLe16(p + kCreatorValue2, h.creatorValue2);
    p[kChanged] = h.changed ? 1 : 0;
    putLe32(p + kBlobWriteCounter, static_cast<std::uint32_t>(h.blobWriteCounter));
    putLe64(p + kEngineVersion, static_cast<std::uint64_t>(h.engineVersion));
}

std::int32_t nextCounterValue(std::int32_t value) {
    return value >= 2147483647 || value < 0 ? 1 : value + 1;
}

}  // namespace wispel

namespace wispel {

std::int32_t nextChangeCounter(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

}  // namespace wispel
