// The note an interrupted insert, modify or delete leaves in the index header, found on
// open beside a data file in a given state: a note that fits the data header, the file's
// length and the noted slot is repaired (undone or kept); any other is not applied, the
// table is refused with 8961 and neither file changes by a byte.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tablestore/errors/StoreEngineError.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

constexpr std::size_t kRecords = 127 + 5 * 768;  // where record 1 starts
constexpr std::size_t kRecordSize = 281;
constexpr std::size_t kNoteOffset = 3980;
enum Kind : std::uint8_t { kInsert = 1, kModify = 2, kDelete = 3, kRun = 4 };

// Both files of the table as bytes, changed in place and written back.
struct TableBytes {
    std::string data, index;

    std::uint32_t get(const std::string& file, std::size_t at) const {
        std::uint32_t v = 0;
        std::memcpy(&v, file.data() + at, 4);
        return v;
    }
    static void put(std::string& file, std::size_t at, std::uint32_t v) {
        std::memcpy(file.data() + at, &v, 4);
    }
    std::int32_t counter() const { return static_cast<std::int32_t>(get(data, 0)); }
    void setCounter(std::int32_t c) { put(data, 0, static_cast<std::uint32_t>(c)); }
    void setFreeHead(std::uint32_t n) { put(data, 9, n); }
    void setNextRecord(std::uint32_t n) { put(data, 13, n); }
    static std::size_t slot(std::uint32_t n) { return kRecords + (n - 1) * kRecordSize; }
    void setSlotHeader(std::uint32_t n, std::uint8_t status, std::uint32_t link) {
        data[slot(n)] = static_cast<char>(status);
        put(data, slot(n) + 1, link);
    }
    // Appends a copy of row E as slot n with ID n, as an insert writes it.
    void appendCopyOfE(std::uint32_t n) {
        data += data.substr(slot(5), kRecordSize);
        setSlotHeader(n, 0, n);
        put(data, slot(n) + 5, n);
    }
    void note(Kind kind, std::uint32_t record, std::uint32_t link, std::int32_t counter) {
        index[kNoteOffset] = static_cast<char>(kind);
        put(index, kNoteOffset + 1, record);
        put(index, kNoteOffset + 5, link);
        put(index, kNoteOffset + 9, static_cast<std::uint32_t>(counter));
    }
};


struct Case {
    const char* what;
    std::function<void(TableBytes&)> damage;  // from five rows A..E, IDs 1..5, no free slot
    const char* names;                        // the rows after the repair; null: refused
};

const Case kCases[] = {
    // Notes that do not fit.
    {"modify note with an old counter, header counting 2 of the 5 records",
     [](TableBytes& t) { t.setNextRecord(3); t.note(kModify, 1, 0, t.counter() - 5); }, nullptr},
    {"modify note one write behind, header counting 2 of the 5 records",
     [](TableBytes& t) { t.setNextRecord(3); t.note(kModify, 1, 0, t.counter() - 1); }, nullptr},
    {"insert note naming a live slot, counter matching",
     [](TableBytes& t) { t.note(kInsert, 2, 0, t.counter()); }, nullptr},
    {"insert note appending, two slots beyond the counted ones",
     [](TableBytes& t) { t.data.append(2 * kRecordSize, '\0'); t.note(kInsert, 6, 0, t.counter()); },
     nullptr},
    {"insert note appending, counter matching, a free slot in the chain",
     [](TableBytes& t) {
         t.setSlotHeader(3, 1, 0);
         t.setFreeHead(3);
         t.data.append(kRecordSize, '\0');
         t.note(kInsert, 6, 0, t.counter());
     },
     nullptr},
    {"delete note, header written, chain head another slot",
     [](TableBytes& t) {
         t.setSlotHeader(2, 1, 0);
         t.setFreeHead(4);
         t.note(kDelete, 2, 0, t.counter() - 1);
     },
     nullptr},
    {"delete note, header not written, slot freed with a foreign link",
     [](TableBytes& t) { t.setSlotHeader(2, 1, 5); t.note(kDelete, 2, 0, t.counter()); }, nullptr},
    {"note of slot 0", [](TableBytes& t) { t.note(kModify, 0, 0, t.counter()); }, nullptr},
    {"modify note past the slots", [](TableBytes& t) { t.note(kModify, 9, 0, t.counter()); },
     nullptr},
    {"note with a counter far from the header's",
     [](TableBytes& t) { t.note(kModify, 1, 0, t.counter() + 5); }, nullptr},
    {"modify note, slot not holding its own number",
     [](TableBytes& t) { t.setSlotHeader(1, 0, 4); t.note(kModify, 1, 0, t.counter()); }, nullptr},
    {"run of appends, a whole slot not holding its number before another",
     [](TableBytes& t) {
         t.appendCopyOfE(6);
         t.appendCopyOfE(7);
         t.setSlotHeader(6, 0, 9);
         t.note(kRun, 6, 0, t.counter());
     },
     nullptr},
    {"run of appends, a free slot in the chain",
     [](TableBytes& t) {
         t.setSlotHeader(3, 1, 0);
         t.setFreeHead(3);
         t.appendCopyOfE(6);
         t.note(kRun, 6, 0, t.counter());
     },
     nullptr},
    {"run of appends noted past the counted slots",
     [](TableBytes& t) { t.appendCopyOfE(6); t.note(kRun, 7, 0, t.counter()); }, nullptr},

    // Notes that fit: what a kill can leave at each write.
    {"insert appending, killed before the record",
     [](TableBytes& t) { t.note(kInsert, 6, 0, t.counter()); }, "A B C D E"},
    {"insert appending, record half written",
     [](TableBytes& t) { t.data.append(100, '\1'); t.note(kInsert, 6, 0, t.counter()); },
     "A B C D E"},
    {"insert appending, record written",
     [](TableBytes& t) {
         t.data += t.data.substr(TableBytes::slot(5), kRecordSize);
         t.setSlotHeader(6, 0, 6);
         t.note(kInsert, 6, 0, t.counter());
     },
     "A B C D E"},
    {"insert appending, header written",
     [](TableBytes& t) {
         t.data += t.data.substr(TableBytes::slot(5), kRecordSize);
         t.setSlotHeader(6, 0, 6);
         TableBytes::put(t.data, TableBytes::slot(6) + 5, 6);
         t.setNextRecord(7);
         TableBytes::put(t.data, 17, 6);
         t.note(kInsert, 6, 0, t.counter());
         t.setCounter(t.counter() + 1);
     },
     "A B C D E E"},
    {"run of appends, killed before its first record",
     [](TableBytes& t) { t.data.append(100, '\1'); t.note(kRun, 6, 0, t.counter()); },
     "A B C D E"},
    {"run of appends, two records written and a third in part",
     [](TableBytes& t) {
         t.appendCopyOfE(6);
         t.appendCopyOfE(7);
         t.data.append(100, '\0');
         t.note(kRun, 6, 0, t.counter());
     },
     "A B C D E E E"},
    {"run of appends, header written when the run ended",
     [](TableBytes& t) {
         t.appendCopyOfE(6);
         t.setNextRecord(7);
         TableBytes::put(t.data, 17, 6);
         t.note(kRun, 6, 0, t.counter());
         t.setCounter(t.counter() + 1);
     },
     "A B C D E E"},
    {"insert into a free slot, killed before the record",
     [](TableBytes& t) {
         t.setSlotHeader(3, 1, 0);
         t.setFreeHead(3);
         t.note(kInsert, 3, 0, t.counter());
     },
     "A B D E"},
    {"insert into a free slot, record written",
     [](TableBytes& t) { t.setFreeHead(3); t.note(kInsert, 3, 0, t.counter()); }, "A B D E"},
    {"insert into a free slot, header written",
     [](TableBytes& t) { t.note(kInsert, 3, 0, t.counter() - 1); }, "A B C D E"},
    {"modify, header not written", [](TableBytes& t) { t.note(kModify, 4, 0, t.counter()); },
     "A B C D E"},
    {"modify, header written", [](TableBytes& t) { t.note(kModify, 4, 0, t.counter() - 1); },
     "A B C D E"},
    {"delete, killed before the record",
     [](TableBytes& t) { t.note(kDelete, 2, 0, t.counter()); }, "A B C D E"},
    {"delete, record written",
     [](TableBytes& t) { t.setSlotHeader(2, 1, 0); t.note(kDelete, 2, 0, t.counter()); },
     "A B C D E"},
    {"delete, header written",
     [](TableBytes& t) {
         t.setSlotHeader(2, 1, 0);
         t.setFreeHead(2);
         t.note(kDelete, 2, 0, t.counter());
         t.setCounter(t.counter() + 1);
     },
     "A C D E"},
};

class RecoveryNote : public SitesTableTest, public ::testing::WithParamInterface<Case> {};

TEST_P(RecoveryNote, IsRepairedOnlyWhenItFitsTheHeaders) {
    {
        auto table = createSites();
        for (const char* name : {"A", "B", "C", "D", "E"}) addSite(*table, name, "http://h/", 1, true);
    }
    const std::string dataPath = dirName_ + "Sites.DAT", indexPath = dirName_ + "Sites.IDX";
    TableBytes bytes{readBytes(dataPath), readBytes(indexPath)};
    GetParam().damage(bytes);
    writeBytes(dataPath, bytes.data);
    writeBytes(indexPath, bytes.index);

    auto table = sitesTable();
    if (GetParam().names == nullptr) {
        try {
            table->Open();
            ADD_FAILURE() << "opened";
        } catch (const EStoreEngineError& e) {
            EXPECT_EQ(e.ErrorCode(), 8961);
        }
        EXPECT_TRUE(readBytes(dataPath) == bytes.data) << "the data file changed";
        EXPECT_TRUE(readBytes(indexPath) == bytes.index) << "the index file changed";
        return;
    }
    table->Open();
    EXPECT_EQ(names(*table), GetParam().names);
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
    // The next insert takes the slot the repaired chain offers, and the table stays whole.
    addSite(*table, "N", "http://n/", 1, true);
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(States, RecoveryNote, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
