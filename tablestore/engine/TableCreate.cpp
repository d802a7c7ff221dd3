// Making the files of a new table: the data file from the column definitions (its layout is
// the format's business) and an index file with the system index and a primary index
// without key columns.

#include "core/DateTime.h"
#include "tablestore/engine/DataTable.h"
#include "tablestore/engine/FileList.h"
#include "tablestore/format/BlobFile.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/index/IndexFile.h"

namespace wispel {

StoreStatus createTableFiles(TDataDirectory& directory, const std::string& tableName,
                             const std::vector<ColumnDefinition>& columns,
                             const std::vector<TIndexDefinition>& indexes,
                             std::uint16_t languageID, std::uint32_t blobBlockSize) {
    if (blobBlockSize != 0 &&
        (blobBlockSize < kMinBlobBlockSize || blobBlockSize > kMaxBlobBlockSize))
        return {storecode::kInvalidBlobLength, tableName};
    const std::string dataPath = directory.filePath(tableFileName(tableName, ".DAT"));
    const std::string indexPath = directory.filePath(tableFileName(tableName, ".IDX"));
    TFileList& files = TFileList::Instance();
    if (files.isOpen(directory.inMemory(), dataPath) || files.isOpen(directory.inMemory(), indexPath) ||
        files.isOpen(directory.inMemory(), directory.filePath(tableFileName(tableName, ".BLB"))))
        return storecode::kAccessDenied;
    // A new table never replaces files: a file of either name means a table is there (on
    // disk the creation itself also refuses any name taken, a dangling link included).
    for (const std::string* path : {&dataPath, &indexPath}) {
        if (directory.fileSystem().exists(*path)) return {storecode::kTableExists, *path};
    }

    DataHeader header;
    std::vector<ColumnDescriptor> descriptors;
    std::unique_ptr<StoreFile> data;
    std::size_t failed = 0;
    StoreResult r = createDataFile(directory.fileSystem(), dataPath, columns, Now(), header,
                                   descriptors, data, failed);
    if (r != storecode::kOk) {
        if (failed < columns.size()) return {r, {}, columns[failed].name};
        return {r, dataPath};
    }
    if (languageID != 0 || blobBlockSize != 0) {
        header.languageId = languageID;
        header.blobBlockSize = blobBlockSize;
        if ((r = saveDataHeader(*data, header, true))) return {r, dataPath};
    }
    data.reset();

    TIndexHeader indexHeader = newIndexHeader();
    for (const TIndexDefinition& definition : indexes) {
        if ((r = addIndexDefinition(indexHeader, definition, descriptors))) {
            directory.fileSystem().remove(dataPath);
            return {r, {}, definition.Name};
        }
    }
    std::unique_ptr<StoreFile> index;
    if ((r = directory.fileSystem().create(indexPath, index))) {
        directory.fileSystem().remove(dataPath);  // made just now: no half table stays
        return {r, indexPath};
    }
    if ((r = TIndexFile::create(*index, indexHeader))) return {r, indexPath};
    if ((r = index->flush())) return {r, indexPath};
    index.reset();
    if (header.blobColumnCount != 0) {
        const std::string blobPath = directory.filePath(tableFileName(tableName, ".BLB"));
        BlobHeader blobHeader;
        std::unique_ptr<StoreFile> blob;
        if ((r = createBlobFile(directory.fileSystem(), blobPath, blobHeader, blob)))
            return {r, blobPath};
        if ((r = blob->flush())) return {r, blobPath};
    }
    return storecode::kOk;
}

}  // namespace wispel
