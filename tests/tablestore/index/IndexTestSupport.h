#pragma once
// A small table for the index tests: ID (auto-increment), Name (text of 10), Update (32-bit
// integer), Active (Boolean); records of 29 bytes; index files in the in-memory directory.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tablestore/files/StoreFile.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/RecordValues.h"
#include "tablestore/index/IndexDefinition.h"
#include "tablestore/index/IndexFile.h"

namespace wispel::indextest {

constexpr std::uint32_t kRecordSize = 29;

inline ColumnDescriptor column(std::uint16_t number, const char* name, std::uint8_t type,
                               std::uint8_t subtype, std::uint16_t offset, std::uint8_t size = 0) {
    ColumnDescriptor c;
    c.fieldNumber = number;
    c.name = name;
    c.type = type;
    c.subtype = subtype;
    c.size = size;
    c.width = storedWidth(type, size);
    c.offset = offset;
    return c;
}

inline std::vector<ColumnDescriptor> tableColumns() {
    return {column(1, "ID", enginetype::kInteger, enginesubtype::kAutoInc, 5),
            column(2, "Name", enginetype::kText, 0, 9, 10),
            column(3, "Update", enginetype::kInteger, 0, 21),
            column(4, "Active", enginetype::kBoolean, 0, 26)};
}

// A record image with the given values.
inline RecordImage record(std::int32_t id, const std::string& name, std::int32_t update) {
    static const auto columns = tableColumns();
    RecordImage image(kRecordSize, 0);
    writeRecordHeader(RecordHeader{recordstatus::kActive, 1, id}, image.data());
    setTextValue(image.data(), columns[1], name);
    setInt32Value(image.data(), columns[2], update);
    setBooleanValue(image.data(), columns[3], true);
    return image;
}

// A fresh index file in memory with one index definition added (none for `name` == nullptr),
// opened.
struct IndexFixture {
    std::unique_ptr<StoreFile> file;
    std::unique_ptr<TIndexFile> index;
    std::vector<ColumnDescriptor> columns = tableColumns();

    explicit IndexFixture(const std::string& path, const TIndexDefinition* definition = nullptr) {
        memoryFileSystem().remove(path);
        if (memoryFileSystem().create(path, file) != 0) throw std::runtime_error("create");
        TIndexHeader header = newIndexHeader();
        if (definition != nullptr && addIndexDefinition(header, *definition, columns) != 0) {
            throw std::runtime_error("definition");
        }
        if (TIndexFile::create(*file, header) != 0) throw std::runtime_error("header");
        reopen();
    }
    ~IndexFixture() {
        index.reset();
        const std::string path = file->path();
        file.reset();
        memoryFileSystem().remove(path);
    }
    StoreResult reopen() {
        index = std::make_unique<TIndexFile>(*file);
        return index->open(columns, kRecordSize);
    }
};

}  // namespace wispel::indextest
