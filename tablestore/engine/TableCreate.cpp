// Making the files of a new table: the data file with its header and column descriptors
// and no records, and an index file with the system index and a primary index without key
// columns.

#include <cctype>
#include <cstring>
#include <set>

#include "core/TextCase.h"
#include "tablestore/engine/DataTable.h"
#include "tablestore/engine/FileList.h"

#include "tablestore/format/ByteOrder.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

using namespace datafile;

namespace {


bool validColumnName(const std::string& name) {
    if (name.empty() || name.size() > 30) return false;
    unsigned char first = static_cast<unsigned char>(name[0]);
    return std::isalpha(first) || first == '_' || first >= 0x80;
}

// Places the columns in the record; the record size, or 0 with `result` set.
std::uint32_t layoutColumns(std::vector<ColumnDescriptor>& columns, StoreResult& result,
                            std::string& badField) {
    std::uint32_t offset = kRecordHeaderSize;
    std::set<std::string> names;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        ColumnDescriptor& c = columns[i];
        c.fieldNumber = static_cast<int>(i) + 1;
        if (!validColumnName(c.name) || !names.insert(upperCase(c.name)).second) {
            badField = c.name;
            result = storecode::kInvalidFieldName;
            return 0;
        }
        const bool sized = c.type == 1 || c.type == 9 || c.type == 15;
        if (sized ? (c.size < 1 || c.size > 250) : c.type != 8 && c.size != 0) {
            badField = c.name;
            result = storecode::kFieldLimits;
            return 0;
        }
        if (c.isAutoInc()) {
            c.width = 4;
            c.offset = kAutoIncValueOffset;
            continue;
        }
        c.width = storedWidth(c.type, c.size);
        c.offset = static_cast<std::uint16_t>(offset);
        offset += c.width + 1u;
        if (offset > 65535) {
            result = storecode::kRecordTooLarge;
            return 0;
        }
    }
    return offset;
}

StoreResult writeNewFile(TDataDirectory& directory, const std::string& path,
                         const std::vector<std::uint8_t>& bytes) {
    TAbstractFile* file = nullptr;
    if (StoreResult r = TFileList::Instance().create(directory.fileSystem(),
                                                     directory.inMemory(), path, file))
        return r;
    StoreResult r = file->write(0, bytes.data(), bytes.size());
    TFileList::Instance().close(file);
    return r;
}

}  // namespace

StoreResult createTableFiles(TDataDirectory& directory, const std::string& tableName,
                             std::vector<ColumnDescriptor> columns, std::uint16_t languageID,
                             std::string& errorName, std::string& errorField) {
    errorName = tableName;
    if (columns.empty() || columns.size() > 1024) return storecode::kFieldLimits;
    StoreResult result = storecode::kOk;
    const std::uint32_t recordSize = layoutColumns(columns, result, errorField);
    if (recordSize == 0) return result;
    TDataHeader header;
    header.image[kVersionAt] = kVersion;
    header.setNextRecord(1);
    putLe16(&header.image[kRecordSize], static_cast<std::uint16_t>(recordSize));
    putLe16(&header.image[kColumnCount], static_cast<std::uint16_t>(columns.size()));
    std::uint16_t blobs = 0;
    for (const ColumnDescriptor& c : columns) blobs += c.type == 3;
    putLe16(&header.image[kBlobCount], blobs);
    putLe16(&header.image[kLanguage], languageID);
    putLe16(&header.image[kCreator1], 1);
    header.prepareWrite(true);

    std::vector<std::uint8_t> data(kHeaderSize + columns.size() * kDescriptorSize);
    std::memcpy(data.data(), header.image.data(), kHeaderSize);
    for (std::size_t i = 0; i < columns.size(); ++i)
        writeColumnDescriptor(columns[i], &data[kHeaderSize + i * kDescriptorSize]);
    TIndexHeader index = newIndexHeader();
    index.prepareWrite(true);

    const std::string dataPath = directory.filePath(tableFileName(tableName, ".DAT"));
    const std::string indexPath = directory.filePath(tableFileName(tableName, ".IDX"));
    errorName = dataPath;
    if (StoreResult r = writeNewFile(directory, dataPath, data)) return r;
    errorName = indexPath;
    return writeNewFile(directory, indexPath,
                        std::vector<std::uint8_t>(index.image.begin(), index.image.end()));
}

}  // namespace wispel
