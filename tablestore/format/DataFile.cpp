#include "tablestore/format/DataFile.h"

#include "tablestore/format/DataFileChecks.h"

namespace wispel {

namespace {

using namespace storecode;

StoreResult readHeaderChecked(StoreFile& file, std::uint64_t length, DataHeader& header) {
    if (length < kDataHeaderSize) return kHeaderCorrupt;
    unsigned char bytes[kDataHeaderSize];
    if (StoreResult r = file.read(0, bytes, sizeof bytes)) return r;
    DataHeader read = readDataHeader(bytes);
    if (StoreResult r = checkDataHeader(read, length)) return r;
    header = read;
    return kOk;
}

StoreResult readHeaderChecked(StoreFile& file, DataHeader& header) {
    std::uint64_t length = 0;
    if (StoreResult r = file.size(length)) return r;
    return readHeaderChecked(file, length, header);
}

StoreResult readColumns(StoreFile& file, const DataHeader& header,
                        std::vector<ColumnDescriptor>& columns) {
    // checkDataHeader has seen that every descriptor lies inside the file (at most 1024).
    std::vector<unsigned char> bytes(header.columnCount * kColumnDescriptorSize);
    if (StoreResult r = file.read(kDataHeaderSize, bytes.data(), bytes.size())) return r;
    std::vector<ColumnDescriptor> read;
    read.reserve(header.columnCount);
    for (std::size_t i = 0; i < header.columnCount; ++i) {
        const unsigned char* one = bytes.data() + i * kColumnDescriptorSize;
        if (StoreResult r = checkColumnDescriptorBytes(one)) return r;
        read.push_back(readColumnDescriptor(one));
    }
    if (StoreResult r = checkColumns(header, read)) return r;
    columns = std::move(read);
    return kOk;
}

bool holdsSlot(const DataHeader& header, std::uint32_t n) {
    return n >= 1 && n < header.nextRecordNumber;
}

}  // namespace

StoreResult loadDataFile(StoreFile& file, DataHeader& header,
                         std::vector<ColumnDescriptor>& columns) {
    std::uint64_t length = 0;
    if (StoreResult r = file.size(length)) return r;
    return loadDataFileOfLength(file, length, header, columns);
}

StoreResult loadDataFileOfLength(StoreFile& file, std::uint64_t length, DataHeader& header,
                                 std::vector<ColumnDescriptor>& columns) {
    DataHeader read;
    if (StoreResult r = readHeaderChecked(file, length, read)) return r;
    if (StoreResult r = readColumns(file, read, columns)) return r;
    header = read;
    return kOk;
}

StoreResult loadDataHeader(StoreFile& file, DataHeader& header) {
    return readHeaderChecked(file, header);
}

StoreResult saveDataHeader(StoreFile& file, DataHeader& header, bool changed, TDateTime now) {
    header.changeCounter = nextChangeCounter(header.changeCounter);
    header.writeTime = now - kHeaderTimeDelta;
    header.engineVersion = kEngineVersionValue;
    header.changed = changed;
    unsigned char bytes[kDataHeaderSize];
    writeDataHeader(header, bytes);
    return file.write(0, bytes, sizeof bytes);
}

StoreResult saveDataHeader(StoreFile& file, DataHeader& header, bool changed) {
    return saveDataHeader(file, header, changed, Now());
}

StoreResult saveColumnDescriptors(StoreFile& file, const std::vector<ColumnDescriptor>& columns) {
    std::vector<unsigned char> bytes(columns.size() * kColumnDescriptorSize);
    for (std::size_t i = 0; i < columns.size(); ++i)
        writeColumnDescriptor(columns[i], bytes.data() + i * kColumnDescriptorSize);
    return file.write(kDataHeaderSize, bytes.data(), bytes.size());
}

StoreResult loadRecord(StoreFile& file, const DataHeader& header, std::uint32_t n,
                       RecordImage& record) {
    if (!holdsSlot(header, n)) return kRecordsCorrupt;
    record.resize(header.recordSize);
    std::size_t got = 0;
    if (StoreResult r = file.readSome(recordOffset(header, n), record.data(), record.size(), got))
        return r;
    return got == record.size() ? kOk : kRecordsCorrupt;
}

StoreResult saveRecord(StoreFile& file, const DataHeader& header, std::uint32_t n,
                       const RecordImage& record) {
    if (n < 1 || n > header.nextRecordNumber || record.size() != header.recordSize)
        return kRecordsCorrupt;
    return file.write(recordOffset(header, n), record.data(), record.size());
}

}  // namespace wispel
