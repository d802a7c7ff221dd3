// The table component on a sites table in one process: creating, opening, reading and
// writing fields, navigating, editing, filtering, two tables on one file, data links.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tests/tablestore/sitesfixture/SitesTableFixture.h"
#include "tablestore/component/StoreSession.h"
#include "tablestore/errors/StoreEngineError.h"

using namespace wispel;
using namespace wispel::test;

namespace {

using TableComponent = SitesTableTest;

struct RecordingLink : TStoreDataLink {
    std::vector<std::string> events;
    void StateChanged(TStoreTable& table) override {
        events.push_back("state " + std::to_string(static_cast<int>(table.State())));
    }
    void RowChanged(TStoreTable&) override { events.push_back("row"); }
    void FieldChanged(TStoreTable&, TStoreField& field) override {
        events.push_back("field " + field.FieldName());
    }
    void BeforePost(TStoreTable&) override { events.push_back("before post"); }
};

}  // namespace

TEST_F(TableComponent, NewTableIsEmptyWithTheSitesFields) {
    auto table = createSites();
    EXPECT_TRUE(table->IsEmpty());
    EXPECT_TRUE(table->AtStart());
    EXPECT_TRUE(table->AtEnd());
    ASSERT_EQ(table->FieldCount(), 5);
    EXPECT_EQ(table->Fields(0).DataType(), TStoreFieldType::ftAutoInc);
    EXPECT_EQ(table->FieldNamed("name").Size(), 10);
    EXPECT_EQ(std::filesystem::file_size(dir_ / "Sites.DAT"), 127u + 5 * 768);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "Sites.IDX"));
}

TEST_F(TableComponent, MissingTableFailsWithTheFullPath) {
    auto table = sitesTable();
    try {
        table->Open();
        FAIL() << "opened a missing table";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 11010);
        EXPECT_EQ(e.message(), "Table Engine Error # 11010 Invalid path or file name for table '" +
                                   dirName_ + "Sites.DAT'");
    }
    EXPECT_FALSE(table->Active());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Sites.DAT"));
}

TEST_F(TableComponent, RowsAreWrittenReadAndWalkedInSlotOrder) {
    auto table = createSites();
    addSite(*table, "One", "http://one/", 10, true);
    addSite(*table, "Two", "http://two/", 20, false);
    addSite(*table, "Three", "http://three/", 30, true);
    EXPECT_EQ(table->RecordCount(), 3);
    EXPECT_EQ(names(*table), "One Two Three");
    EXPECT_EQ(std::filesystem::file_size(dir_ / "Sites.DAT"), 127u + 5 * 768 + 3 * 281);

    table->MoveLast();
    EXPECT_TRUE(table->AtEnd());
    EXPECT_EQ(table->FieldNamed("ID").IntegerValue(), 3);
    EXPECT_EQ(table->FieldNamed("URL").TextValue(), "http://three/");
    EXPECT_EQ(table->FieldNamed("Update").IntegerValue(), 30);
    EXPECT_TRUE(table->FieldNamed("Active").BooleanValue());
    table->MovePrior();
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "Two");
    EXPECT_EQ(table->FieldNamed("Active").TextValue(), "False");
    table->MovePrior();
    table->MovePrior();
    EXPECT_TRUE(table->AtStart());
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "One");

    table->Close();
    table->Open();
    EXPECT_EQ(names(*table), "One Two Three");
}

TEST_F(TableComponent, TextIsCutTrimmedAndBlankMeansNoValue) {
    auto table = createSites();
    table->StartInsert();
    table->FieldNamed("Name").SetTextValue("abcdefghijKLMN");
    table->FieldNamed("URL").SetTextValue("http://x/   ");
    table->PostRow();
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "abcdefghij");
    EXPECT_EQ(table->FieldNamed("URL").TextValue(), "http://x/");
    EXPECT_TRUE(table->FieldNamed("Update").IsNull());
    EXPECT_EQ(table->FieldNamed("Update").IntegerValue(), 0);

    table->StartEdit();
    table->FieldNamed("Name").SetTextValue("  ");
    table->PostRow();
    EXPECT_TRUE(table->FieldNamed("Name").IsNull());
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "");

    // A multi-byte character is never split at the width.
    table->StartEdit();
    table->FieldNamed("Name").SetTextValue("abcdefghi\xC3\xA9");
    table->PostRow();
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "abcdefghi");
}

TEST_F(TableComponent, FieldsRefuseWritesOutsideEditing) {
    auto table = createSites();
    addSite(*table, "One", "u", 1, true);
    EXPECT_THROW(table->FieldNamed("Name").SetTextValue("x"), EDatabaseError);
    table->StartEdit();
    EXPECT_THROW(table->FieldNamed("ID").SetIntegerValue(5), EDatabaseError);
    EXPECT_THROW(table->FieldNamed("Nope"), EDatabaseError);
    table->CancelRow();
}

TEST_F(TableComponent, EditCancelAndDelete) {
    auto table = createSites();
    for (const char* name : {"A", "B", "C", "D", "E"}) addSite(*table, name, "u", 1, true);
    table->MoveFirst();
    table->MoveNext();
    table->StartEdit();
    table->FieldNamed("Name").SetTextValue("changed");
    table->CancelRow();
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "B");
    table->DeleteRow();
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "C");
    table->MoveNext();
    table->DeleteRow();  // D
    // Deleted slots are reused latest first: 4, then 2.
    addSite(*table, "F", "u", 1, true);
    addSite(*table, "G", "u", 1, true);
    EXPECT_EQ(names(*table), "A G C F E");
    table->MoveFirst();
    table->MoveNext();
    EXPECT_EQ(table->FieldNamed("ID").IntegerValue(), 7);
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
}

TEST_F(TableComponent, FilterSelectsActiveRows) {
    auto table = createSites();
    addSite(*table, "On1", "u", 1, true);
    addSite(*table, "Off", "u", 1, false);
    addSite(*table, "On2", "u", 1, true);
    table->SetFilter("Active = TRUE");
    EXPECT_EQ(names(*table), "On1 Off On2");  // not Filtered yet

    std::string found;
    for (bool ok = table->FindFirstMatch(); ok; ok = table->FindNextMatch())
        found += table->FieldNamed("Name").TextValue() + " ";
    EXPECT_EQ(found, "On1 On2 ");
    EXPECT_EQ(table->RecordCount(), 3);  // still unfiltered afterwards

    table->SetFiltered(true);
    EXPECT_EQ(names(*table), "On1 On2");
    EXPECT_EQ(table->RecordCount(), 2);
    table->SetFiltered(false);
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "On1");
    EXPECT_EQ(table->RecordCount(), 3);
}

TEST_F(TableComponent, FindFirstMatchWithoutMatchStaysPut) {
    auto table = createSites();
    addSite(*table, "A", "u", 1, false);
    addSite(*table, "B", "u", 1, false);
    table->MoveLast();
    table->SetFilter("Active = TRUE");
    EXPECT_FALSE(table->FindFirstMatch());
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "B");
}

TEST_F(TableComponent, TwoTablesInOneProcessSeeEachOthersChanges) {
    auto dialog = createSites();
    addSite(*dialog, "A", "u", 1, true);
    auto walker = sitesTable();
    walker->SetFilter("Active = TRUE");
    walker->SetFiltered(true);
    walker->Open();
    EXPECT_EQ(names(*walker), "A");

    addSite(*dialog, "B", "u", 1, true);
    addSite(*dialog, "C", "u", 1, false);
    EXPECT_EQ(names(*walker), "A B");  // the filter ran again after the other's change
    dialog->MoveFirst();
    dialog->StartEdit();
    dialog->FieldNamed("Active").SetBooleanValue(false);
    dialog->PostRow();
    EXPECT_EQ(names(*walker), "B");
    walker->MoveFirst();
    dialog->MoveFirst();
    dialog->MoveNext();
    dialog->DeleteRow();
    walker->RefreshRows();
    EXPECT_TRUE(walker->IsEmpty());

    auto exclusive = sitesTable();
    exclusive->SetExclusive(true);
    try {
        exclusive->Open();
        FAIL() << "exclusive open beside a shared one";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 11013);
    }
}

TEST_F(TableComponent, EditOfARowAnotherTableIsEditingFailsAtOnce) {
    auto one = createSites();
    addSite(*one, "A", "u", 1, true);
    auto two = sitesTable();
    two->Open();
    one->StartEdit();
    try {
        two->StartEdit();
        FAIL() << "two edits of one row";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 10258);
    }
    one->FieldNamed("Name").SetTextValue("A2");
    one->PostRow();
    try {
        two->StartEdit();  // it still shows "A"
        FAIL() << "edit of a row changed since it was read";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 8708);
    }
    EXPECT_EQ(two->FieldNamed("Name").TextValue(), "A2");
    two->StartEdit();
    two->CancelRow();
}

TEST_F(TableComponent, DataLinksHearStateRowsFieldsAndPosts) {
    auto table = createSites();
    RecordingLink link;
    link.SetDataSet(table.get());
    table->StartInsert();
    table->FieldNamed("Name").SetTextValue("A");
    table->PostRow();
    EXPECT_EQ(link.events, (std::vector<std::string>{"state 3", "row", "field Name",
                                                     "before post", "state 1", "row"}));
    table->Close();
    EXPECT_EQ(link.events.back(), "state 0");
    table.reset();
    EXPECT_EQ(link.DataSet(), nullptr);
}

TEST_F(TableComponent, OpenTableRefusesSettingChanges) {
    auto table = createSites();
    EXPECT_THROW(table->SetTableName("Other.DAT"), EDatabaseError);
    EXPECT_THROW(table->SetExclusive(true), EDatabaseError);
    auto unnamed = std::make_unique<TStoreTable>();
    try {
        unnamed->Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Missing table name.");
    }
}

TEST_F(TableComponent, TableNameWithAFolderSetsTheDatabase) {
    createSites();
    TStoreTable table;
    table.SetTableName(dirName_ + "Sites.DAT");
    EXPECT_EQ(table.DatabaseName(), dirName_);
    EXPECT_EQ(table.TableName(), "Sites.DAT");
    table.Open();
    EXPECT_EQ(table.FieldCount(), 5);
}

TEST_F(TableComponent, MissingIndexFileIsMadeAgain) {
    {
        auto table = createSites();
        addSite(*table, "A", "u", 1, true);
        addSite(*table, "B", "u", 1, true);
    }
    std::filesystem::remove(dir_ / "Sites.IDX");
    auto table = sitesTable();
    table->Open();
    EXPECT_EQ(names(*table), "A B");
    EXPECT_TRUE(std::filesystem::exists(dir_ / "Sites.IDX"));
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
}

TEST_F(TableComponent, InMemoryTables) {
    TStoreTable table;
    table.SetInMemory(true);
    table.SetTableName("Mem.DAT");
    addSitesFieldDefs(table.FieldDefs());
    table.CreateTable();
    table.Open();
    addSite(table, "M", "u", 1, true);
    EXPECT_EQ(names(table), "M");
    EXPECT_FALSE(std::filesystem::exists("Mem.DAT"));
}

TEST_F(TableComponent, BadFilterTextIsRefusedAndTheOldFilterStays) {
    auto table = createSites();
    addSite(*table, "On", "u", 1, true);
    addSite(*table, "Off", "u", 1, false);
    table->SetFiltered(true);
    table->SetFilter("Active = TRUE");
    try {
        table->SetFilter("Active = ");
        FAIL() << "took a broken filter";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 10051);
        EXPECT_EQ(e.message().rfind("Table Engine Error # 10051 Filter error for table 'Sites.DAT' - ", 0), 0u)
            << e.message();
    }
    EXPECT_EQ(table->Filter(), "Active = TRUE");
    EXPECT_EQ(names(*table), "On");
}

TEST_F(TableComponent, RowFilterEventNarrowsTheRows) {
    auto table = createSites();
    for (const char* name : {"A", "BB", "CCC"}) addSite(*table, name, "u", 1, true);
    table->Close();
    table->OnFilterRecord = [](TStoreTable* t, bool& accept) {
        accept = t->FieldNamed("Name").TextValue().size() != 2;
    };
    table->SetFiltered(true);
    table->Open();
    EXPECT_EQ(names(*table), "A CCC");
}

TEST_F(TableComponent, BookmarksNameRowsUntilTheyAreDeleted) {
    auto table = createSites();
    for (const char* name : {"A", "B", "C"}) addSite(*table, name, "u", 1, true);
    table->MoveFirst();
    table->MoveNext();
    const TStoreBookmark b = table->GetBookmark();
    table->MoveLast();
    table->GotoBookmark(b);
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "B");
    EXPECT_TRUE(table->BookmarkValid(b));
    table->DeleteRow();
    EXPECT_FALSE(table->BookmarkValid(b));
    try {
        table->GotoBookmark(b);
        FAIL();
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 8710);
    }
}

TEST_F(TableComponent, RequiredFieldWithoutValueIsRefusedAndTheRowKept) {
    TStoreTable table;
    table.SetDatabaseName(dirName_);
    table.SetTableName("Req.DAT");
    table.FieldDefs().Add("Code", TStoreFieldType::ftString, 5, true);
    table.FieldDefs().Add("Count", TStoreFieldType::ftSmallint);
    table.CreateTable();
    table.Open();
    table.StartInsert();
    table.FieldNamed("Count").SetIntegerValue(7);
    try {
        table.PostRow();
        FAIL() << "posted a row without its required value";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.message(), "Table Engine Error # 9732 A value must be provided for the field "
                               "'Code' in table 'Req.DAT'");
    }
    EXPECT_EQ(table.State(), TStoreDataSetState::dsInsert);
    EXPECT_EQ(table.FieldNamed("Count").IntegerValue(), 7);
    EXPECT_THROW(table.FieldNamed("Count").SetIntegerValue(40000), EDatabaseError);
    table.FieldNamed("Code").SetTextValue("x");
    table.PostRow();
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(TableComponent, ExclusiveOpeningInASecondSessionFails11013) {
    auto first = createSites();
    TStoreSession second;
    second.SetSessionName("Second");
    TStoreTable other;
    other.SetSessionName("Second");
    other.SetDatabaseName(dirName_);
    other.SetTableName(kSitesTableName);
    other.SetExclusive(true);
    try {
        other.Open();
        FAIL() << "exclusive beside an open table of another session";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 11013);
    }
    other.SetExclusive(false);
    other.Open();  // shared is fine: both sessions see one table
    addSite(*first, "A", "u", 1, true);
    other.RefreshRows();
    EXPECT_EQ(names(other), "A");
}

TEST_F(TableComponent, EmptyDatabaseNameIsTheCurrentDirectoryAtSessionStart) {
    createSites();
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    TStoreSession session;
    session.SetSessionName("AtStart");
    session.Open();
    std::filesystem::current_path(before);  // later changes do not move the session
    TStoreTable table;
    table.SetSessionName("AtStart");
    table.SetTableName(kSitesTableName);
    table.Open();
    EXPECT_EQ(table.DataFilePath(), dirName_ + "Sites.DAT");
    EXPECT_EQ(session.DefaultDirectory(), dirName_);
}

TEST_F(TableComponent, IndexesOrderTheRowsAndRefuseDuplicateKeys) {
    TStoreTable table;
    table.SetDatabaseName(dirName_);
    table.SetTableName("Ranks.DAT");
    table.FieldDefs().Add("Name", TStoreFieldType::ftString, 10);
    table.FieldDefs().Add("Rank", TStoreFieldType::ftInteger);
    table.IndexDefs().Add("", "Rank", true);
    table.IndexDefs().Add("ByName", "Name");
    table.CreateTable();
    table.Open();
    auto add = [&](const char* name, int rank) {
        table.StartInsert();
        table.FieldNamed("Name").SetTextValue(name);
        table.FieldNamed("Rank").SetIntegerValue(rank);
        table.PostRow();
    };
    add("Zed", 1);
    add("Amy", 3);
    add("Bob", 2);
    EXPECT_EQ(names(table), "Zed Bob Amy");  // the primary index: Rank
    try {
        add("Dup", 2);
        FAIL() << "took a second row with rank 2";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 9729);
        table.CancelRow();
    }
    table.SetIndexName("ByName");
    EXPECT_EQ(names(table), "Amy Bob Zed");
    table.MoveLast();
    table.MovePrior();
    EXPECT_EQ(table.FieldNamed("Name").TextValue(), "Bob");
    table.StartEdit();
    table.FieldNamed("Name").SetTextValue("Ann");
    table.PostRow();
    EXPECT_EQ(names(table), "Amy Ann Zed");
    table.SetFilter("Rank > 1");
    table.SetFiltered(true);
    EXPECT_EQ(names(table), "Amy Ann");
    table.SetFiltered(false);
    table.MoveFirst();
    table.DeleteRow();  // Amy
    EXPECT_EQ(names(table), "Ann Zed");
    EXPECT_THROW(table.SetIndexName("Nope"), EStoreEngineError);
    EXPECT_EQ(table.CheckFiles(), std::vector<std::string>{});
}

TEST_F(TableComponent, FilteredTableFollowsManyChangesOfAnother) {
    auto writer = createSites();
    auto walker = sitesTable();
    walker->SetFilter("Active = TRUE");
    walker->SetFiltered(true);
    walker->Open();
    std::mt19937 random(7);
    for (int step = 0; step < 150; ++step) {
        const int pick = static_cast<int>(random() % 4);
        if (pick == 0 || writer->IsEmpty()) {
            addSite(*writer, "r" + std::to_string(step), "u", step, random() % 2 == 0);
        } else {
            writer->MoveFirst();
            for (int n = static_cast<int>(random() % 5); n > 0; --n) writer->MoveNext();
            if (pick == 1) {
                writer->DeleteRow();
            } else {
                writer->StartEdit();
                writer->FieldNamed("Active").SetBooleanValue(random() % 2 == 0);
                writer->PostRow();
            }
        }
        if (step % 40 == 39) {  // filters attached again over the bitmaps kept up to date
            walker->SetFiltered(false);
            walker->SetFiltered(true);
        }
        std::string expected;
        for (writer->MoveFirst(); !writer->AtEnd(); writer->MoveNext())
            if (writer->FieldNamed("Active").BooleanValue())
                expected += (expected.empty() ? "" : " ") + writer->FieldNamed("Name").TextValue();
        ASSERT_EQ(names(*walker), expected) << "after step " << step;
    }
}
