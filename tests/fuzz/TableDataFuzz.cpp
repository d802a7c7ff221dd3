// Feeds arbitrary bytes to the open-and-read path of a table's data file: the checks on
// open, the free-record chain and every value of every record. The same bytes are then the
// data file beside an index file whose crash note is chosen from them (the counter and slots
// their header holds, or one off), opened through the table component (TableNoteFuzz.h).
// Every input must end in a result code, never in a crash, a leak, a hang or an allocation
// the input cannot justify. With WISPEL_FUZZ_NOTE_SEEDS set to a folder, the data file of
// that table is first written there.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TableNoteFuzz.h"

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

std::uint32_t le32At(const std::uint8_t* data, std::size_t size, std::size_t at) {
    std::uint32_t value = 0;
    if (at + 4 <= size) std::memcpy(&value, data + at, 4);
    return value;
}

// A note for the data in `data`: which operation, slot and counter follow from the input, so
// that notes that fit the header are met as often as ones that do not.
void openWithNote(const std::uint8_t* data, std::size_t size) {
    const std::int32_t counter = static_cast<std::int32_t>(le32At(data, size, 0));
    const std::uint32_t head = le32At(data, size, 9), next = le32At(data, size, 13);
    const std::uint32_t slots[] = {next, head, next - 1};
    const auto kind = static_cast<std::uint8_t>(1 + size % 3);
    const std::string index = wispel::fuzz::indexWithNote(kind, slots[(size / 3) % 3], 0,
                                                          counter - static_cast<int>((size / 9) % 2));
    wispel::fuzz::openNoteTable(std::string(reinterpret_cast<const char*>(data), size), index);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    wispel::fuzz::noteTableData();  // made once, outside the inputs
    if (const char* folder = std::getenv("WISPEL_FUZZ_NOTE_SEEDS"))
        std::ofstream(std::string(folder) + "/note-table.DAT", std::ios::binary)
            << wispel::fuzz::noteTableData();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StoreFileSystem& files = memoryFileSystem();
    std::unique_ptr<StoreFile> file;
    if (files.create("MEMORY/fuzz.DAT", file) != storecode::kOk) return 0;
    if (file->write(0, data, size) == storecode::kOk) readTable(*file);
    file.reset();
    files.remove("MEMORY/fuzz.DAT");
    openWithNote(data, size);
    return 0;
}
