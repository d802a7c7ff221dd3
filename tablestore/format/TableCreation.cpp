// Creating a table's data file: doc/table_format.md, "Creating a table".

#include "tablestore/format/TableCreation.h"

#include <set>

#include "core/TextCase.h"
#include "tablestore/format/DataFile.h"

namespace wispel {

namespace {

using namespace storecode;

constexpr int kMaxDeclaredSize = 250;
constexpr int kMaxBcdDecimals = 20;
constexpr std::size_t kMaxSecondaryIndexes = 30;
constexpr std::size_t kMaxKeyColumns = 16;

bool creatableType(std::uint8_t type) {
    return type != 0 && type != 16 && type <= enginetype::kDataSet;
}

// The descriptor of one definition, without its offset.
StoreResult describe(const ColumnDefinition& d, std::uint16_t fieldNumber, ColumnDescriptor& c) {
    if (!validColumnName(d.name)) return kInvalidFieldName;
    if (!creatableType(d.type)) return kInvalidFieldDefinition;
    c = ColumnDescriptor{};
    c.fieldNumber = fieldNumber;
    c.name = d.name;
    c.type = d.type;
    c.subtype = d.subtype;
    c.required = d.required;
    if (hasDeclaredSize(d.type)) {
        if (d.size < 1 || d.size > kMaxDeclaredSize) return kFieldLimits;
        c.size = static_cast<std::uint8_t>(d.size);
    } else if (d.type == enginetype::kBcd) {
        if (d.size < 0 || d.size > kMaxBcdDecimals) return kFieldLimits;
        c.decimals = c.storedDecimals = static_cast<std::uint8_t>(d.size);
    }
    c.width = storedWidth(c.type, c.size);
    return kOk;
}

}  // namespace

StoreResult buildTableLayout(const std::vector<ColumnDefinition>& definitions,
                             DataHeader& header, std::vector<ColumnDescriptor>& columns,
                             std::size_t& failedColumn) {
    failedColumn = 0;
    if (definitions.empty() || definitions.size() > kMaxColumns) return kFieldLimits;
    std::vector<ColumnDescriptor> built(definitions.size());
    std::set<std::string> names;
    std::size_t offset = kRecordHeaderSize;
    std::size_t blobs = 0;
    bool autoInc = false;
    for (std::size_t i = 0; i < definitions.size(); ++i) {
        failedColumn = i;
        ColumnDescriptor& c = built[i];
        if (StoreResult r = describe(definitions[i], static_cast<std::uint16_t>(i + 1), c))
            return r;
        if (!names.insert(upperCase(c.name)).second) return kInvalidFieldName;
        if (c.type == enginetype::kBlob && ++blobs > kMaxBlobColumns) return kBlobFieldLimits;
        if (c.isAutoInc()) {
            if (autoInc) return kFieldLimits;
            autoInc = true;
            c.offset = kAutoIncValueOffset;
            continue;
        }
        if (offset > 0xFFFF) return kRecordTooLarge;
        c.offset = static_cast<std::uint16_t>(offset);
        offset += c.width + 1u;
    }
    failedColumn = 0;
    if (offset > 0xFFFF) return kRecordTooLarge;
    header = DataHeader{};
    header.recordSize = static_cast<std::uint16_t>(offset);
    header.columnCount = static_cast<std::uint16_t>(built.size());
    header.blobColumnCount = static_cast<std::uint16_t>(blobs);
    columns = std::move(built);
    return kOk;
}

StoreResult checkIndexLimits(std::size_t secondaryIndexes, std::size_t mostKeyColumns) {
    return secondaryIndexes > kMaxSecondaryIndexes || mostKeyColumns > kMaxKeyColumns
               ? kIndexLimits
               : kOk;
}

StoreResult createDataFile(StoreFileSystem& files, const std::string& path,
                           const std::vector<ColumnDefinition>& definitions, TDateTime now,
                           DataHeader& header, std::vector<ColumnDescriptor>& columns,
                           std::unique_ptr<StoreFile>& file, std::size_t& failedColumn) {
    DataHeader newHeader;
    std::vector<ColumnDescriptor> newColumns;
    if (StoreResult r = buildTableLayout(definitions, newHeader, newColumns, failedColumn))
        return r;
    std::unique_ptr<StoreFile> created;
    if (StoreResult r = files.create(path, created)) return r;
    // Descriptors first: a header that claims them is only written once they are there.
    StoreResult r = saveColumnDescriptors(*created, newColumns);
    if (!r) r = saveDataHeader(*created, newHeader, true, now);
    if (!r) r = created->flush();
    if (r) {
        // A half-written table must not be taken for one later.
        created.reset();
        files.remove(path);
        return r;
    }
    header = newHeader;
    columns = std::move(newColumns);
    file = std::move(created);
    return kOk;
}

}  // namespace wispel
