// Feeds arbitrary bytes to the open-and-read path of a table's index file: the header checks,
// the invariant checker, a walk of every index in key order, then keys inserted and deleted
// and the changes written and read back. The table is fixed: ID (auto-increment), Name (text
// of 10), Update (32-bit integer), Active (Boolean). The same bytes are then the index file
// beside a data file of that table, opened through the table component, so that a crash note
// in them is held against the data and repaired or refused (TableNoteFuzz.h). Every input
// must end in a result code, never in a crash, a leak, a hang or an allocation the input
// cannot justify. With WISPEL_FUZZ_NOTE_SEEDS set to a folder, index files with crash notes
// are first written there.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "TableNoteFuzz.h"

#include "tablestore/files/StoreFile.h"
#include "tablestore/index/IndexChecker.h"
#include "tablestore/index/IndexFile.h"

namespace {

using namespace wispel;

constexpr std::uint32_t kRecordSize = 29;

ColumnDescriptor column(std::uint8_t type, std::uint8_t subtype, std::uint16_t offset,
                        std::uint8_t size = 0) {
    ColumnDescriptor c;
    c.type = type;
    c.subtype = subtype;
    c.size = size;
    c.width = storedWidth(type, size);
    c.offset = offset;
    return c;
}

const std::vector<ColumnDescriptor>& tableColumns() {
    static const std::vector<ColumnDescriptor> columns{
        column(enginetype::kInteger, enginesubtype::kAutoInc, 5),
        column(enginetype::kText, 0, 9, 10), column(enginetype::kInteger, 0, 21),
        column(enginetype::kBoolean, 0, 26)};
    return columns;
}

// Walks the index, keeping a few of its keys, then deletes those and inserts variations.
void useIndex(TIndexFile& index, int slot) {
    TIndexTree& tree = index.tree(slot);
    const std::size_t length = index.keyLength(slot);
    std::vector<std::vector<std::uint8_t>> seen;
    std::vector<std::uint8_t> key(length);
    TIndexPosition at;
    for (StoreResult r = tree.first(at); r == storecode::kOk; r = tree.next(at)) {
        std::uint32_t number = 0;
        if (tree.entry(at, key.data(), number) != storecode::kOk) return;
        if (seen.size() < 16) seen.push_back(key);
    }
    std::uint32_t count = 0;
    if (tree.keyCount(count) != storecode::kOk) return;
    for (const auto& k : seen) {
        if (index.deleteKey(slot, k.data()) != storecode::kOk) return;
    }
    for (std::uint32_t i = 0; i < 600; ++i) {
        key.assign(length, static_cast<std::uint8_t>(i * 7));
        key[0] = static_cast<std::uint8_t>(i % 3);
        const StoreResult r = index.insertKey(slot, key.data(), i);
        if (r != storecode::kOk && r != storecode::kDuplicateKey) return;
    }
}

void readIndex(StoreFile& file) {
    TIndexFile index(file);
    if (index.open(tableColumns(), kRecordSize) != storecode::kOk) return;
    checkIndexFile(index);
    for (int slot = 0; slot < indexlayout::kSlotCount; ++slot) {
        if (index.header().slotHoldsKeys(slot)) useIndex(index, slot);
    }
    if (index.writePending() != storecode::kOk) return;
    TIndexFile again(file);
    if (again.open(tableColumns(), kRecordSize) == storecode::kOk) checkIndexFile(again);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    wispel::fuzz::noteTableData();  // made once, outside the inputs
    if (const char* folder = std::getenv("WISPEL_FUZZ_NOTE_SEEDS")) wispel::fuzz::writeNoteSeeds(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StoreFileSystem& files = memoryFileSystem();
    std::unique_ptr<StoreFile> file;
    if (files.create("MEMORY/fuzz.IDX", file) != storecode::kOk) return 0;
    if (file->write(0, data, size) == storecode::kOk) readIndex(*file);
    file.reset();
    files.remove("MEMORY/fuzz.IDX");
    wispel::fuzz::openNoteTable(wispel::fuzz::noteTableData(),
                                std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
