// The sites table's rarer paths: blank text seen by filters, slots reused under another
// table's eyes, locks given back by cancel and delete, letter case declared in the file,
// and files that fail their checks on open.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tablestore/component/StoreSession.h"
#include "tablestore/errors/StoreEngineError.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

class TableEdgeCases : public SitesTableTest {
protected:
    void patchFile(const std::string& name, std::streamoff offset, std::uint8_t byte) const {
        std::fstream file(dir_ / name, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(offset);
        file.put(static_cast<char>(byte));
    }
    static int openCode(TStoreTable& table, std::string& message) {
        try {
            table.Open();
        } catch (const EStoreEngineError& e) {
            message = e.message();
            return e.ErrorCode();
        }
        return 0;
    }
};

// Name is the second column: its descriptor starts at 127 + 768.
constexpr std::streamoff kNameDescriptor = 127 + 768;

}  // namespace

TEST_F(TableEdgeCases, BlankTextHoldsNoValueForFilters) {
    auto table = createSites();
    addSite(*table, "A", "u", 1, true);
    addSite(*table, "   ", "u", 1, true);
    addSite(*table, "C", "u", 1, true);
    for (const char* filter : {"Name = NULL", "Name IS NULL", "NULL = Name"}) {
        table->SetFilter(filter);
        table->SetFiltered(true);
        EXPECT_EQ(table->RecordCount(), 1) << filter;
        EXPECT_TRUE(table->FieldNamed("Name").IsNull()) << filter;
        EXPECT_EQ(table->FieldNamed("ID").IntegerValue(), 2) << filter;
        table->SetFiltered(false);
    }
}

TEST_F(TableEdgeCases, RowsInReusedSlotsAreSeenByTheOtherTableInSlotOrder) {
    auto dialog = createSites();
    for (const char* name : {"A", "B", "C", "D", "E"}) addSite(*dialog, name, "u", 1, true);
    auto walker = sitesTable();
    walker->Open();
    EXPECT_EQ(names(*walker), "A B C D E");
    dialog->MoveFirst();
    dialog->MoveNext();
    dialog->DeleteRow();  // B, slot 2
    dialog->MoveNext();
    dialog->DeleteRow();  // D, slot 4
    addSite(*dialog, "F", "u", 1, true);
    addSite(*dialog, "G", "u", 1, true);
    EXPECT_EQ(names(*walker), "A G C F E");  // no refresh: its next operation sees them
    walker->MoveFirst();
    walker->MoveNext();
    EXPECT_EQ(walker->FieldNamed("ID").IntegerValue(), 7);
}

TEST_F(TableEdgeCases, CancelAndDeleteGiveTheRecordLockBack) {
    auto one = createSites();
    addSite(*one, "A", "u", 1, true);
    addSite(*one, "B", "u", 1, true);
    auto two = sitesTable();
    two->Open();

    one->MoveFirst();
    one->StartEdit();
    one->FieldNamed("Name").SetTextValue("A2");
    one->CancelRow();
    EXPECT_EQ(one->FieldNamed("Name").TextValue(), "A");
    two->StartEdit();  // the lock is free again
    two->CancelRow();

    one->StartEdit();
    one->DeleteRow();  // deleting the row being edited uses the lock the edit holds
    EXPECT_EQ(one->State(), TStoreDataSetState::dsBrowse);
    EXPECT_EQ(one->FieldNamed("Name").TextValue(), "B");
    addSite(*one, "C", "u", 1, true);  // takes slot 1 again
    two->MoveFirst();
    EXPECT_EQ(two->FieldNamed("Name").TextValue(), "C");
    two->StartEdit();  // and its lock is free
    two->FieldNamed("Name").SetTextValue("C2");
    two->PostRow();
    EXPECT_EQ(names(*one), "C2 B");
    EXPECT_EQ(one->CheckFiles(), std::vector<std::string>{});
}

TEST_F(TableEdgeCases, TextTakesTheLetterCaseItsColumnDeclares) {
    createSites().reset();
    struct Case {
        std::uint8_t declared;
        const char* stored;
    };
    for (const Case c : {Case{0, "MiXed"}, Case{1, "mixed"}, Case{2, "MIXED"}}) {
        patchFile("Sites.DAT", kNameDescriptor + 93, c.declared);
        auto table = sitesTable();
        table->Open();
        table->StartInsert();
        table->FieldNamed("Name").SetTextValue("MiXed   ");
        table->PostRow();
        EXPECT_EQ(table->FieldNamed("Name").TextValue(), c.stored);
        table->DeleteRow();
    }
}

TEST_F(TableEdgeCases, FilesFailingTheirChecksGiveTheirCodesAndLeaveNothingOpen) {
    {
        auto table = createSites();
        addSite(*table, "A", "u", 1, true);
    }
    auto save = [&](const char* name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    auto restore = [&](const char* name, const std::vector<char>& bytes) {
        std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    const std::vector<char> data = save("Sites.DAT"), index = save("Sites.IDX");
    struct Case {
        const char* file;
        std::streamoff offset;  // -1: one byte appended
        std::uint8_t byte;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"Sites.DAT", 8, 3, 12035, "Table Engine Error # 12035 table '"},
        {"Sites.IDX", 8, 5, 12035, "Table Engine Error # 12035 table '"},
        {"Sites.DAT", -1, 0, 8961, "Table Engine Error # 8961 Header information corrupt in table '"},
        {"Sites.DAT", 13, 7, 8961, "Table Engine Error # 8961 Header information corrupt in table '"},
        {"Sites.DAT", 104, 0xFF, 15878, "Table Engine Error # 15878 The language driver for table '"},
    };
    for (const Case& c : cases) {
        if (c.offset < 0) {
            std::ofstream(dir_ / c.file, std::ios::binary | std::ios::app).put('\0');
        } else {
            patchFile(c.file, c.offset, c.byte);
        }
        auto table = sitesTable();
        std::string message;
        EXPECT_EQ(openCode(*table, message), c.code) << c.file << " at " << c.offset;
        EXPECT_EQ(message.rfind(c.text, 0), 0u) << message;
        EXPECT_FALSE(table->Active());
        restore("Sites.DAT", data);
        restore("Sites.IDX", index);
        // Nothing of the failed opening stays behind: the sound files open at once.
        table->Open();
        EXPECT_EQ(names(*table), "A");
    }
}

TEST_F(TableEdgeCases, SessionNamesAreUniqueWithoutRegardToCaseAndNeeded) {
    EXPECT_EQ(DefaultSession().SessionName(), "Default");
    auto message = [](const std::function<void()>& action) -> std::string {
        try {
            action();
        } catch (const EDatabaseError& e) {
            return e.message();
        }
        return "";
    };
    TStoreSession unnamed;
    EXPECT_EQ(message([&] { unnamed.SetSessionName("DEFAULT"); }),
              "Session name DEFAULT already exists.");
    EXPECT_EQ(message([&] { unnamed.Open(); }), "Session name is missing.");
    EXPECT_FALSE(unnamed.Active());
    TStoreTable table;
    table.SetSessionName("Nowhere");
    table.SetTableName("Sites.DAT");
    EXPECT_EQ(message([&] { table.Open(); }), "Session name Nowhere is not valid.");
    unnamed.SetSessionName("Second");
    unnamed.Open();
    EXPECT_EQ(message([&] { unnamed.SetSessionName("Third"); }),
              "Cannot perform this operation on an active session.");
}
