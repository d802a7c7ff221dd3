#pragma once
// The engine's view of the index file header (".IDX", 4096 bytes): its change counter, the
// count of active records, and the note of an operation in flight that the engine keeps in
// reserved bytes so that the next writer can repair what a killed process left half done.
// doc/table_format.md, "Index file" and "Crash safety", has the byte tables.

#include <array>
#include <cstdint>

namespace wispel {

namespace indexheader {
constexpr std::uint32_t kSize = 4096;
constexpr int kCounter = 0, kVersion = 8, kEndOfFile = 9, kActiveRecords = 3974,
              kNoKeyPrimary = 3978, kChangedFlag = 3979;
// The note of the operation in flight (reserved bytes, zero when none).
constexpr int kPendingKind = 3980;         // 1 insert, 2 modify, 3 delete
constexpr int kPendingRecord = 3981;       // the record slot
constexpr int kPendingLink = 3985;         // insert into a free slot: the slot's former link
constexpr int kPendingDataCounter = 3989;  // data header counter before the operation
}  // namespace indexheader

enum class TPendingKind : std::uint8_t { none = 0, insert = 1, modify = 2, remove = 3 };

struct TPendingOperation {
    TPendingKind kind = TPendingKind::none;
    std::uint32_t record = 0;
    std::uint32_t link = 0;
    std::int32_t dataCounter = 0;
};

struct TIndexHeader {
    std::array<std::uint8_t, indexheader::kSize> image{};

    std::int32_t counter() const;
    std::uint32_t activeRecords() const;
    void setActiveRecords(std::uint32_t count);
    TPendingOperation pending() const;
    void setPending(const TPendingOperation& operation);
    // Counter + 1 and the changed flag, before a write.
    void prepareWrite(bool changed);
};

// The header of a new index file: the system index only, and a primary index without key
// columns.
TIndexHeader newIndexHeader();

}  // namespace wispel
