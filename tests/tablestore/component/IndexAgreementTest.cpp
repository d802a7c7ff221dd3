// Index-answered filters, key searches and ranges agree with a plain scan on a random table:
// ten thousand rows, then random inserts, edits and deletes, and a few hundred random
// filters and searches. A filter F is answered from an index where it can be; "(F) OR
// FALSE" never is, so it is the scan to compare with.

#include <gtest/gtest.h>

#include <algorithm>

#include <map>
#include <random>
#include <set>

#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

constexpr int kRows = 10000;

class IndexAgreement : public SitesTableTest {
protected:
    std::unique_ptr<TStoreTable> open(bool create) {
        auto t = std::make_unique<TStoreTable>();
        t->SetDatabaseName(dirName_);
        t->SetTableName("Random.DAT");
        t->FieldDefs().Add("ID", TStoreFieldType::ftAutoInc);
        t->FieldDefs().Add("Site", TStoreFieldType::ftInteger);
        t->FieldDefs().Add("Word", TStoreFieldType::ftString, 8);
        t->FieldDefs().Add("Small", TStoreFieldType::ftSmallint);
        if (create) {
            t->IndexDefs().Add("BySite", "Site;Word");
            t->IndexDefs().Add("ByWord", "Word");
            t->IndexDefs().Add("BySmall", "Small", TStoreIndexOptions{false, false, false, false});
            t->CreateTable();
        }
        t->Open();
        return t;
    }
    // The IDs of the rows the table shows.
    static std::set<int> ids(TStoreTable& t) {
        std::set<int> out;
        for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) out.insert(t.FieldNamed("ID").IntegerValue());
        return out;
    }
    // The IDs in the order of a walk from the first row on, and from the last row back.
    static std::vector<int> walk(TStoreTable& t, bool forward) {
        std::vector<int> out;
        if (forward) {
            for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) out.push_back(t.FieldNamed("ID").IntegerValue());
        } else {
            for (t.MoveLast(); !t.AtStart(); t.MovePrior()) out.push_back(t.FieldNamed("ID").IntegerValue());
            std::reverse(out.begin(), out.end());
        }
        return out;
    }
    std::string word() {
        std::string w;
        for (int i = 0, n = 1 + static_cast<int>(random_() % 3); i < n; ++i)
            w += static_cast<char>('a' + random_() % 4);
        return w;
    }
    void fill(TStoreTable& t) {
        t.FieldNamed("Site").SetIntegerValue(static_cast<int>(random_() % 60) - 10);
        if (random_() % 20 == 0) t.FieldNamed("Word").Clear();
        else t.FieldNamed("Word").SetTextValue(word());
        t.FieldNamed("Small").SetIntegerValue(static_cast<int>(random_() % 200) - 100);
    }
    std::string filter() {
        static const char* ops[] = {"=", "<", ">", "<=", ">=", "<>"};
        auto one = [&] {
            const int column = static_cast<int>(random_() % 3);
            const std::string op = ops[random_() % 6];
            if (column == 0) return "Site " + op + " " + std::to_string(static_cast<int>(random_() % 70) - 15);
            if (column == 1) return "Word " + op + " '" + word() + "'";
            return "Small " + op + " " + std::to_string(static_cast<int>(random_() % 240) - 120);
        };
        return random_() % 2 ? one() : one() + " AND " + one();
    }
    std::mt19937 random_{2026};
};

}  // namespace

TEST_F(IndexAgreement, IndexAnswersEqualAScanOnRandomTables) {
    auto t = open(true);
    std::vector<TStoreBookmark> rows;
    auto insert = [&] {
        t->StartInsert();
        fill(*t);
        t->PostRow();
        rows.push_back(t->GetBookmark());
    };
    for (int i = 0; i < kRows; ++i) insert();
    // Random edits and deletes, and inserts into the slots they free.
    for (int i = 0; i < 3000; ++i) {
        const int pick = static_cast<int>(random_() % 3);
        if (pick == 0) {
            insert();
            continue;
        }
        const std::size_t at = random_() % rows.size();
        t->GotoBookmark(rows[at]);
        if (pick == 1) {
            t->DeleteRow();
            rows[at] = rows.back();
            rows.pop_back();
        } else {
            t->StartEdit();
            fill(*t);
            t->PostRow();
        }
    }
    EXPECT_EQ(t->CheckFiles(), std::vector<std::string>{});

    auto scan = open(false);
    for (int i = 0; i < 300; ++i) {
        const std::string text = filter();
        SCOPED_TRACE(text);
        t->SetFilter(text);
        t->SetFiltered(true);
        scan->SetFilter("(" + text + ") OR FALSE");
        scan->SetFiltered(true);
        ASSERT_EQ(ids(*t), ids(*scan));
    }
    t->SetFiltered(false);
    scan->SetFiltered(false);

    // Key searches: the first row in index order whose Site is v, against a scan for it.
    t->SetIndexName("BySite");
    for (int i = 0; i < 200; ++i) {
        const int site = static_cast<int>(random_() % 70) - 15;
        SCOPED_TRACE(site);
        scan->SetFilter("Site = " + std::to_string(site) + " OR FALSE");
        std::map<std::string, int> byWord;  // the index orders equal sites by Word, then ID
        for (bool found = scan->FindFirstMatch(); found; found = scan->FindNextMatch())
            byWord.emplace(scan->FieldNamed("Word").TextValue() + "\x01" +
                               std::to_string(100000 + scan->FieldNamed("ID").IntegerValue()),
                           scan->FieldNamed("ID").IntegerValue());
        const bool found = t->FindKey({std::to_string(site)});
        ASSERT_EQ(found, !byWord.empty());
        if (found) {
            EXPECT_EQ(t->FieldNamed("ID").IntegerValue(), byWord.begin()->second);
        }
    }
    // Ranges against the scan of the same bounds.
    for (int i = 0; i < 100; ++i) {
        int low = static_cast<int>(random_() % 70) - 15, high = low + static_cast<int>(random_() % 20);
        SCOPED_TRACE(std::to_string(low) + ".." + std::to_string(high));
        t->SetRange({std::to_string(low)}, {std::to_string(high)});
        scan->SetFilter("(Site >= " + std::to_string(low) + " AND Site <= " + std::to_string(high) +
                        ") OR FALSE");
        scan->SetFiltered(true);
        ASSERT_EQ(ids(*t), ids(*scan));
        ASSERT_EQ(walk(*t, false), walk(*t, true));
        scan->SetFiltered(false);
    }
    // Whole keys as bounds, which several rows share, walked both ways.
    t->SetIndexName("BySmall");
    for (int i = 0; i < 100; ++i) {
        const std::string low = std::to_string(static_cast<int>(random_() % 240) - 120);
        const std::string high = i % 2 ? low : std::to_string(std::stoi(low) + 3);
        SCOPED_TRACE(low + ".." + high);
        t->SetRange({low}, {high});
        scan->SetFilter("(Small >= " + low + " AND Small <= " + high + ") OR FALSE");
        scan->SetFiltered(true);
        ASSERT_EQ(ids(*t), ids(*scan));
        ASSERT_EQ(walk(*t, false), walk(*t, true));
        scan->SetFiltered(false);
    }
}
