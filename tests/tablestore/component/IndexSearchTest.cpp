// Secondary indexes in use through the table component: choosing the order, key searches,
// ranges, unique and case-insensitive keys, descending columns, adding and deleting indexes.

#include <gtest/gtest.h>

#include <fstream>

#include "tablestore/errors/StoreEngineError.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

class IndexSearch : public SitesTableTest {
protected:
    std::unique_ptr<TStoreTable> table(bool create = false) {
        auto t = std::make_unique<TStoreTable>();
        t->SetDatabaseName(dirName_);
        t->SetTableName("Items.DAT");
        t->FieldDefs().Add("ID", TStoreFieldType::ftAutoInc);
        t->FieldDefs().Add("Site", TStoreFieldType::ftInteger);
        t->FieldDefs().Add("Title", TStoreFieldType::ftString, 20);
        t->FieldDefs().Add("Score", TStoreFieldType::ftSmallint);
        if (create) {
            t->IndexDefs().Add("BySite", "Site;Title");
            t->IndexDefs().Add("ByTitle", "Title", TStoreIndexOptions{false, true, false, true});
            t->IndexDefs().Add("ByScore", "Score;Title", TStoreIndexOptions{}, "Score");
            t->CreateTable();
        }
        t->Open();
        return t;
    }
    static void add(TStoreTable& t, int site, const std::string& title, int score) {
        t.StartInsert();
        t.FieldNamed("Site").SetIntegerValue(site);
        t.FieldNamed("Title").SetTextValue(title);
        t.FieldNamed("Score").SetIntegerValue(score);
        t.PostRow();
    }
    static std::string titles(TStoreTable& t) {
        std::string out;
        for (t.MoveFirst(); !t.AtEnd(); t.MoveNext())
            out += (out.empty() ? "" : " ") + t.FieldNamed("Title").TextValue();
        return out;
    }
    std::unique_ptr<TStoreTable> filled() {
        auto t = table(true);
        add(*t, 17, "delta", 5);
        add(*t, 3, "Alpha", 9);
        add(*t, 17, "bravo", 1);
        add(*t, 20, "echo", 7);
        add(*t, 10, "charlie", 5);
        return t;
    }
};

}  // namespace

TEST_F(IndexSearch, TheIndexChosenGivesTheOrder) {
    auto t = filled();
    EXPECT_EQ(titles(*t), "delta Alpha bravo echo charlie");
    t->SetIndexName("BySite");
    EXPECT_EQ(titles(*t), "Alpha charlie bravo delta echo");
    t->SetIndexName("ByTitle");  // without regard to case
    EXPECT_EQ(titles(*t), "Alpha bravo charlie delta echo");
    t->SetIndexName("ByScore");  // Score descends, Title ascends within it
    EXPECT_EQ(titles(*t), "Alpha echo charlie delta bravo");
    t->SetIndexFieldNames("Site");
    EXPECT_EQ(t->IndexName(), "");
    EXPECT_EQ(titles(*t), "Alpha charlie bravo delta echo");
    EXPECT_EQ(engineCode([&] { t->SetIndexFieldNames("Score;Site"); }), 10022);
    EXPECT_EQ(engineCode([&] { t->SetIndexName("Nothing"); }), 10022);
    EXPECT_EQ(titles(*t), "Alpha charlie bravo delta echo");  // the order in force stays
}

TEST_F(IndexSearch, KeySearchesFindWholeAndPartialKeys) {
    auto t = filled();
    t->SetIndexName("BySite");
    struct Case {
        std::vector<std::string> key;
        bool found;
        std::string nearest;  // Title of the row FindNearest lands on
    };
    const Case cases[] = {
        {{"17"}, true, "bravo"},  {{"17", "delta"}, true, "delta"}, {{"17", "c"}, false, "delta"},
        {{"11"}, false, "bravo"}, {{"3"}, true, "Alpha"},           {{"99"}, false, "echo"},
        {{"-5"}, false, "Alpha"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key[0] + (c.key.size() > 1 ? "/" + c.key[1] : ""));
        t->MoveLast();
        EXPECT_EQ(t->FindKey(c.key), c.found);
        EXPECT_EQ(t->FieldNamed("Title").TextValue(), c.found ? c.nearest : "echo");
        t->FindNearest(c.key);
        EXPECT_EQ(t->FieldNamed("Title").TextValue(), c.nearest);
        EXPECT_EQ(t->State(), TStoreDataSetState::dsBrowse);
    }
    // The key buffer, filled through the fields, and a search from it.
    t->SetKey();
    EXPECT_EQ(t->State(), TStoreDataSetState::dsSetKey);
    t->FieldNamed("Site").SetIntegerValue(20);
    EXPECT_EQ(t->FieldNamed("Site").IntegerValue(), 20);
    EXPECT_TRUE(t->GotoKey());
    EXPECT_EQ(t->FieldNamed("Title").TextValue(), "echo");
    // Case-insensitive and descending keys are searched in their own form.
    t->SetIndexName("ByTitle");
    EXPECT_TRUE(t->FindKey({"CHARLIE"}));
    EXPECT_EQ(t->FieldNamed("Site").IntegerValue(), 10);
    t->SetIndexName("ByScore");
    EXPECT_TRUE(t->FindKey({"5"}));
    EXPECT_EQ(t->FieldNamed("Title").TextValue(), "charlie");
    t->FindNearest({"6"});  // descending: 5 follows 6
    EXPECT_EQ(t->FieldNamed("Title").TextValue(), "charlie");
    // Without an index with key columns there is no key to search.
    t->SetIndexName("");
    EXPECT_THROW(t->FindKey({"1"}), EDatabaseError);
}

TEST_F(IndexSearch, RangesLimitTheRowsAndFiltersWorkWithinThem) {
    auto t = filled();
    t->SetIndexName("BySite");
    t->SetRange({"10"}, {"17"});
    EXPECT_EQ(titles(*t), "charlie bravo delta");
    EXPECT_EQ(t->RecordCount(), 3);
    t->SetFilter("Score = 5");
    t->SetFiltered(true);
    EXPECT_EQ(titles(*t), "charlie delta");
    t->SetFiltered(false);
    // A row inserted inside the range shows, one outside does not.
    add(*t, 12, "foxtrot", 0);
    add(*t, 30, "golf", 0);
    EXPECT_EQ(titles(*t), "charlie foxtrot bravo delta");
    t->SetRangeStart();
    t->FieldNamed("Site").SetIntegerValue(17);
    t->FieldNamed("Title").SetTextValue("c");
    t->SetRangeEnd();  // no key field: open at the top
    t->ApplyRange();
    EXPECT_EQ(titles(*t), "delta echo golf");
    t->CancelRange();
    EXPECT_EQ(titles(*t), "Alpha charlie foxtrot bravo delta echo golf");
    t->SetIndexName("ByScore");
    t->SetRange({"7"}, {"1"});  // descending: the high score first
    EXPECT_EQ(titles(*t), "echo charlie delta bravo");
    EXPECT_EQ(t->CheckFiles(), std::vector<std::string>{});
}

TEST_F(IndexSearch, AUniqueIndexRefusesADuplicateAndChangesNothing) {
    auto t = filled();
    EXPECT_EQ(engineCode([&] { add(*t, 1, "ALPHA", 1); }), 9729);
    t->CancelRow();
    t->MoveFirst();
    t->StartEdit();
    t->FieldNamed("Title").SetTextValue("Echo");
    EXPECT_EQ(engineCode([&] { t->PostRow(); }), 9729);
    t->CancelRow();
    auto other = table();
    EXPECT_EQ(titles(*other), "delta Alpha bravo echo charlie");
    EXPECT_EQ(other->CheckFiles(), std::vector<std::string>{});
}

TEST_F(IndexSearch, RefusalsUnderAHeldWriteLockKeepWhatItsOperationsChanged) {
    auto t = filled();
    t->LockTable(TStoreLockType::ltWriteLock);
    add(*t, 4, "foxtrot", 2);
    EXPECT_EQ(engineCode([&] { add(*t, 1, "ALPHA", 1); }), 9729);  // after the site index
    t->CancelRow();
    t->MoveLast();
    t->StartEdit();
    t->FieldNamed("Site").SetIntegerValue(30);
    t->FieldNamed("Title").SetTextValue("Echo");
    EXPECT_EQ(engineCode([&] { t->PostRow(); }), 9729);
    t->CancelRow();
    add(*t, 5, "golf", 3);
    t->UnlockTable(TStoreLockType::ltWriteLock);
    t.reset();
    auto other = table();
    EXPECT_EQ(titles(*other), "delta Alpha bravo echo charlie foxtrot golf");
    EXPECT_EQ(other->CheckFiles(), std::vector<std::string>{});
    other->SetIndexName("BySite");
    EXPECT_EQ(titles(*other), "Alpha foxtrot golf charlie bravo delta echo");
    EXPECT_TRUE(other->FindKey({"4", "foxtrot"}));
}

TEST_F(IndexSearch, IndexesAreAddedAndDeletedOnAnOpenTable) {
    auto t = filled();
    // Two rows share Score 5: a unique index on it cannot be made.
    EXPECT_EQ(engineCode([&] { t->AddIndex("UScore", "Score", TStoreIndexOptions{false, true}); }), 9729);
    EXPECT_EQ(engineCode([&] { t->SetIndexName("UScore"); }), 10022);
    EXPECT_EQ(engineCode([&] { t->AddIndex("BySite", "Site"); }), 10027);
    t->AddIndex("Desc", "Title", TStoreIndexOptions{false, false, true, false});
    t->SetIndexName("Desc");
    EXPECT_EQ(titles(*t), "echo delta charlie bravo Alpha");
    // Deleting an index before the current one keeps the current order.
    t->DeleteIndex("ByTitle");
    EXPECT_EQ(t->IndexName(), "Desc");
    EXPECT_EQ(titles(*t), "echo delta charlie bravo Alpha");
    EXPECT_EQ(engineCode([&] { t->DeleteIndex("ByTitle"); }), 10022);
    EXPECT_EQ(engineCode([&] { t->DeleteIndex(""); }), 10055);
    EXPECT_EQ(t->CheckFiles(), std::vector<std::string>{});
    t->Close();
    auto again = table();
    again->SetIndexName("Desc");
    EXPECT_EQ(titles(*again), "echo delta charlie bravo Alpha");
    EXPECT_EQ(engineCode([&] { again->SetIndexName("ByTitle"); }), 10022);
    add(*again, 1, "alpha", 1);  // no longer unique
    EXPECT_EQ(again->RecordCount(), 6);
}

TEST_F(IndexSearch, ASystemIndexWrittenWithoutItsUniqueByteOpens) {
    filled()->Close();
    const auto path = dir_ / "Items.IDX";
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(14 + 31 * 120 + 35);
        file.put('\0');
    }
    auto t = table();
    t->SetIndexName("BySite");
    EXPECT_EQ(titles(*t), "Alpha charlie bravo delta echo");
    add(*t, 5, "hotel", 2);
    t->Close();
    std::ifstream file(path, std::ios::binary);
    file.seekg(14 + 31 * 120 + 35);
    EXPECT_EQ(file.get(), 1);  // written back as it should be
}
