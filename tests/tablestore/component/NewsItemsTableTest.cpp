// A table shaped like the one the news is kept in between runs: an item per row with a memo
// description, found by (site, key) through a unique composite index and read in date order
// within a site through a second one; a site's items deleted through a range on the leading
// field, their blocks taken again by later items.

#include <gtest/gtest.h>

#include <filesystem>

#include "tablestore/errors/StoreEngineError.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

class NewsItemsTable : public SitesTableTest {
protected:
    std::unique_ptr<TStoreTable> items(bool create = false) {
        auto t = std::make_unique<TStoreTable>();
        t->SetDatabaseName(dirName_);
        t->SetTableName("Items.DAT");
        TStoreFieldDefs& f = t->FieldDefs();
        f.Add("ID", TStoreFieldType::ftAutoInc);
        f.Add("Site", TStoreFieldType::ftInteger);
        f.Add("Key", TStoreFieldType::ftString, 100);
        f.Add("Title", TStoreFieldType::ftString, 200);
        f.Add("Link", TStoreFieldType::ftString, 250);
        f.Add("Description", TStoreFieldType::ftMemo);
        f.Add("Author", TStoreFieldType::ftString, 80);
        f.Add("Date", TStoreFieldType::ftDateTime);
        f.Add("FirstSeen", TStoreFieldType::ftDateTime);
        f.Add("Read", TStoreFieldType::ftBoolean);
        if (create) {
            t->IndexDefs().Add("BySiteKey", "Site;Key", TStoreIndexOptions{false, true});
            t->IndexDefs().Add("BySiteDate", "Site;Date");
            t->CreateTable();
        }
        t->Open();
        return t;
    }
    // Item `n` of `site`: its date runs backwards with n, its description is long for odd n.
    static std::string description(int site, int n) {
        return std::string(n % 2 ? 3000 : 40, static_cast<char>('a' + (site + n) % 26)) + "\xc3\xa9";
    }
    static void add(TStoreTable& t, int site, int n) {
        t.StartInsert();
        t.FieldNamed("Site").SetIntegerValue(site);
        t.FieldNamed("Key").SetTextValue("https://example.org/" + std::to_string(site) + "/" +
                                         std::to_string(n));
        t.FieldNamed("Title").SetTextValue("item " + std::to_string(n));
        t.FieldNamed("Description").SetTextValue(description(site, n));
        t.FieldNamed("Date").SetFloatValue(46000.0 - n);
        t.FieldNamed("FirstSeen").SetFloatValue(46001.5);
        t.FieldNamed("Read").SetBooleanValue(false);
        t.PostRow();
    }
    static std::string key(int site, int n) {
        return "https://example.org/" + std::to_string(site) + "/" + std::to_string(n);
    }
    std::uintmax_t blobFileSize() const { return std::filesystem::file_size(dir_ / "Items.BLB"); }
};

}  // namespace

TEST_F(NewsItemsTable, ItemsAreFoundByKeyReadByDateAndDeletedBySite) {
    auto t = items(true);
    for (int n = 0; n < 30; ++n)
        for (int site : {2, 5, 9}) add(*t, site, n);

    // A merge finds an item by (site, key) and marks it read; a second copy is refused.
    t->SetIndexName("BySiteKey");
    ASSERT_TRUE(t->FindKey({"5", key(5, 17)}));
    EXPECT_EQ(t->FieldNamed("Title").TextValue(), "item 17");
    EXPECT_EQ(t->FieldNamed("Description").TextValue(), description(5, 17));
    t->StartEdit();
    t->FieldNamed("Read").SetBooleanValue(true);
    t->PostRow();
    EXPECT_FALSE(t->FindKey({"5", key(9, 17)}));
    const std::uintmax_t before = blobFileSize();
    EXPECT_EQ(engineCode([&] { add(*t, 5, 17); }), 9729);
    t->CancelRow();
    EXPECT_EQ(t->RecordCount(), 90);
    EXPECT_EQ(blobFileSize(), before);

    // A site's items in date order through a range on the leading field of (site, date).
    t->SetIndexName("BySiteDate");
    t->SetRange({"5"}, {"5"});
    int count = 0;
    double lastDate = 0;
    for (t->MoveFirst(); !t->AtEnd(); t->MoveNext(), ++count) {
        EXPECT_EQ(t->FieldNamed("Site").IntegerValue(), 5);
        EXPECT_GE(t->FieldNamed("Date").FloatValue(), lastDate);
        lastDate = t->FieldNamed("Date").FloatValue();
        EXPECT_EQ(t->FieldNamed("Read").BooleanValue(), t->FieldNamed("Title").TextValue() == "item 17");
    }
    EXPECT_EQ(count, 30);

    // Deleting the range's rows one after the other empties the range and nothing else.
    t->MoveFirst();
    while (!t->AtEnd()) t->DeleteRow();
    t->CancelRange();
    EXPECT_EQ(t->RecordCount(), 60);
    t->SetIndexName("BySiteKey");
    EXPECT_FALSE(t->FindKey({"5"}));
    ASSERT_TRUE(t->FindKey({"9", key(9, 29)}));
    EXPECT_EQ(t->FieldNamed("Description").TextValue(), description(9, 29));

    // The deleted descriptions' blocks take the next site's items.
    const std::uintmax_t afterDelete = blobFileSize();
    for (int n = 0; n < 30; ++n) add(*t, 7, n);
    EXPECT_EQ(blobFileSize(), afterDelete);
    EXPECT_EQ(t->CheckFiles(), std::vector<std::string>{});
    t->Close();

    auto again = items();
    again->SetIndexName("BySiteKey");
    ASSERT_TRUE(again->FindKey({"7", key(7, 3)}));
    EXPECT_EQ(again->FieldNamed("Description").TextValue(), description(7, 3));
    again->SetFilter("Site = 2 AND Read = False");
    again->SetFiltered(true);
    count = 0;
    for (again->MoveFirst(); !again->AtEnd(); again->MoveNext()) ++count;
    EXPECT_EQ(count, 30);
}
