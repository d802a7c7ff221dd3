#include "tablestore/engine/DataFileImage.h"

#include <cstring>

#include "core/DateTime.h"
#include "tablestore/format/ByteOrder.h"

namespace wispel {

using namespace datafile;


std::int32_t TDataHeader::counter() const { return static_cast<std::int32_t>(getLe32(&image[kCounter])); }
std::uint32_t TDataHeader::freeHead() const { return getLe32(&image[kFreeHead]); }
std::uint32_t TDataHeader::nextRecord() const { return getLe32(&image[kNextRecord]); }
std::uint32_t TDataHeader::lastAutoInc() const { return getLe32(&image[kLastAutoInc]); }
std::uint16_t TDataHeader::recordSize() const { return getLe16(&image[kRecordSize]); }
std::uint16_t TDataHeader::columnCount() const { return getLe16(&image[kColumnCount]); }
std::uint16_t TDataHeader::languageID() const { return getLe16(&image[kLanguage]); }
void TDataHeader::setFreeHead(std::uint32_t record) { putLe32(&image[kFreeHead], record); }
void TDataHeader::setNextRecord(std::uint32_t record) { putLe32(&image[kNextRecord], record); }
void TDataHeader::setLastAutoInc(std::uint32_t value) { putLe32(&image[kLastAutoInc], value); }

void TDataHeader::prepareWrite(bool changed) {
    putLe32(&image[kCounter], static_cast<std::uint32_t>(counter()) + 1);
    double stamp = Now() - 693594.0;
    std::memcpy(&image[kWriteTime], &stamp, 8);
    image[kChangedFlag] = changed ? 1 : 0;
    const std::uint64_t version = 20800;
    for (int i = 0; i < 8; ++i) image[kEngineVersion + i] = static_cast<std::uint8_t>(version >> (8 * i));
}

std::uint32_t nextRecordId(std::uint32_t last) { return last >= 2147483647u ? 1 : last + 1; }

}  // namespace wispel
