// Feeds arbitrary bytes to the open-and-read path of a table's data file: the checks on
// open, the free-record chain and every value of every record. Every input must end in a
// result code, never in a crash, a leak, a hang or an allocation the input cannot justify.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tablestore/files/StoreFile.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/RecordSlots.h"

namespace {

using namespace wispel;

// Reads each value the way its type is read, so that a damaged descriptor that slipped past
// the checks would show up as an out-of-bounds read.
void readValues(const RecordImage& record, const std::vector<ColumnDescriptor>& columns) {
    volatile std::size_t sink = 0;
    for (const auto& column : columns) {
        sink = sink + hasValue(record.data(), column);
        switch (column.width) {
            case 2:
                sink = sink + uint16Value(record.data(), column);
                break;
            case 4:
                sink = sink + uint32Value(record.data(), column);
                break;
            case 8:
                sink = sink + static_cast<std::size_t>(doubleValue(record.data(), column) != 0);
                break;
            default:
                sink = sink + textValue(record.data(), column).size();
                break;
        }
    }
}

void readTable(StoreFile& file) {
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    if (loadDataFile(file, header, columns) != storecode::kOk) return;
    std::uint32_t chainLength = 0;
    checkFreeChain(file, header, chainLength);
    RecordImage record;
    for (std::uint32_t n = 1; n < header.nextRecordNumber; ++n) {
        if (loadRecord(file, header, n, record) != storecode::kOk) return;
        readRecordHeader(record.data());
        readValues(record, columns);
    }
    loadDataHeader(file, header);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StoreFileSystem& files = memoryFileSystem();
    std::unique_ptr<StoreFile> file;
    if (files.create("MEMORY/fuzz.DAT", file) != storecode::kOk) return 0;
    if (file->write(0, data, size) == storecode::kOk) readTable(*file);
    file.reset();
    files.remove("MEMORY/fuzz.DAT");
    return 0;
}
