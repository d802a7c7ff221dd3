#include "TableNoteFuzz.h"

#include <cstring>
#include <fstream>
#include <memory>

#include "core/Exception.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/files/StoreFile.h"

namespace wispel::fuzz {

namespace {

constexpr const char* kTable = "FuzzNote.DAT";
const std::string kDataPath = "MEMORY/FuzzNote.DAT";
const std::string kIndexPath = "MEMORY/FuzzNote.IDX";
constexpr std::size_t kNoteOffset = 3980;

void defineTable(TStoreTable& table) {
    table.SetInMemory(true);
    table.SetTableName(kTable);
    table.FieldDefs().Clear();
    table.FieldDefs().Add("ID", TStoreFieldType::ftAutoInc);
    table.FieldDefs().Add("Name", TStoreFieldType::ftString, 10);
    table.FieldDefs().Add("Update", TStoreFieldType::ftInteger);
    table.FieldDefs().Add("Active", TStoreFieldType::ftBoolean);
}

std::string fileBytes(const std::string& path) {
    std::unique_ptr<StoreFile> file;
    std::uint64_t size = 0;
    if (memoryFileSystem().open(path, {}, file) != storecode::kOk || file->size(size) != storecode::kOk)
        return {};
    std::string bytes(size, '\0');
    if (size > 0 && file->read(0, bytes.data(), bytes.size()) != storecode::kOk) return {};
    return bytes;
}

void putFile(const std::string& path, const std::string& bytes) {
    std::unique_ptr<StoreFile> file;
    if (memoryFileSystem().create(path, file) == storecode::kOk)
        file->write(0, bytes.data(), bytes.size());
}

void removeFiles() {
    memoryFileSystem().remove(kDataPath);
    memoryFileSystem().remove(kIndexPath);
}

struct Made {
    std::string data, index;
};

const Made& made() {
    static const Made files = [] {
        removeFiles();
        {
            TStoreTable table;
            defineTable(table);
            table.CreateTable();
            table.Open();
            for (int i = 0; i < 5; ++i) {
                table.StartInsert();
                table.FieldNamed("Name").SetTextValue("Row " + std::to_string(i));
                table.FieldNamed("Update").SetIntegerValue(i * 10);
                table.FieldNamed("Active").SetBooleanValue(i % 2 == 0);
                table.PostRow();
            }
            table.MoveFirst();
            table.MoveNext();
            table.MoveNext();
            table.DeleteRow();
        }
        Made bytes{fileBytes(kDataPath), fileBytes(kIndexPath)};
        removeFiles();
        return bytes;
    }();
    return files;
}

void putLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

}  // namespace

const std::string& noteTableData() { return made().data; }
const std::string& noteTableIndex() { return made().index; }

std::int32_t noteTableCounter() {
    std::int32_t counter = 0;
    std::memcpy(&counter, noteTableData().data(), 4);
    return counter;
}

void openNoteTable(const std::string& data, const std::string& index) {
    removeFiles();
    putFile(kDataPath, data);
    putFile(kIndexPath, index);
    {
        TStoreTable table;
        defineTable(table);
        try {
            table.Open();
            volatile std::size_t sink = 0;
            for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
                sink = sink + table.FieldNamed("Name").TextValue().size();
            sink = sink + table.CheckFiles().size();
        } catch (const Exception&) {
        }
    }
    removeFiles();
}

std::string indexWithNote(std::uint8_t kind, std::uint32_t slot, std::uint32_t link,
                          std::int32_t dataCounter) {
    std::string index = noteTableIndex();
    index[kNoteOffset] = static_cast<char>(kind);
    putLe32(index, kNoteOffset + 1, slot);
    putLe32(index, kNoteOffset + 5, link);
    putLe32(index, kNoteOffset + 9, static_cast<std::uint32_t>(dataCounter));
    return index;
}

void writeNoteSeeds(const std::string& folder) {
    const std::int32_t c = noteTableCounter();
    const struct {
        const char* name;
        std::uint8_t kind;
        std::uint32_t slot, link;
        std::int32_t counter;
    } seeds[] = {
        {"note-insert-appended", 1, 6, 0, c},     {"note-insert-free-slot", 1, 3, 0, c},
        {"note-insert-written", 1, 5, 0, c - 1},  {"note-modify", 2, 2, 0, c},
        {"note-modify-written", 2, 4, 0, c - 1},  {"note-delete", 3, 4, 0, c},
        {"note-delete-written", 3, 3, 0, c - 1},  {"note-old-counter", 2, 1, 0, c - 5},
        {"note-live-slot", 1, 2, 0, c},           {"note-past-the-slots", 3, 9, 0, c},
    };
    for (const auto& s : seeds) {
        std::ofstream(folder + "/" + s.name, std::ios::binary)
            << indexWithNote(s.kind, s.slot, s.link, s.counter);
    }
}

}  // namespace wispel::fuzz
