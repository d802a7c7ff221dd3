// Memo and blob columns through the table component: values of every size class round-trip,
// also in a table made with smaller blocks,
// blocks freed by shorter values and deleted rows are taken again, values over the limit
// are refused without a change, values read ahead never outlive a change, and the files
// check clean throughout.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tablestore/component/StoreSession.h"
#include "tablestore/errors/StoreEngineError.h"
#include "tests/tablestore/sitesfixture/NewsTableFixture.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

constexpr std::size_t kBlockRoom = 512 - 8;  // value bytes in one block of the default size
constexpr std::size_t kLimit = 16u * 1024 * 1024;

class BlobColumns : public SitesTableTest {
protected:
    std::unique_ptr<TStoreTable> create() {
        auto table = newsTable(dirName_);
        table->CreateTable();
        table->Open();
        return table;
    }
    std::unique_ptr<TStoreTable> reopen() {
        auto table = newsTable(dirName_);
        table->Open();
        return table;
    }
    static void add(TStoreTable& table, int n, std::size_t length, std::string data = "") {
        table.StartInsert();
        table.FieldNamed("Site").SetIntegerValue(n);
        table.FieldNamed("Title").SetTextValue(std::to_string(length));
        table.FieldNamed("Body").SetTextValue(bodyText(n, length));
        table.FieldNamed("Data").SetBlobValue(data);
        table.PostRow();
    }
    std::uintmax_t blobFileSize() const { return std::filesystem::file_size(dir_ / "News.BLB"); }
};

}  // namespace

TEST_F(BlobColumns, ValuesOfEverySizeRoundTrip) {
    const std::size_t sizes[] = {0, 1, kBlockRoom - 1, kBlockRoom, kBlockRoom + 1,
                                 3 * kBlockRoom, 100000, kLimit};
    auto table = create();
    int n = 0;
    for (std::size_t size : sizes) {
        ++n;
        add(*table, n, size, bodyText(n + 100, size / 2));
    }
    EXPECT_TRUE(std::filesystem::exists(dir_ / "News.BLB"));
    table->Close();

    auto again = reopen();
    n = 0;
    for (again->MoveFirst(); !again->AtEnd(); again->MoveNext()) {
        const std::size_t size = sizes[n++];
        SCOPED_TRACE(size);
        TStoreField& body = again->FieldNamed("Body");
        EXPECT_EQ(body.BlobSize(), size);
        EXPECT_EQ(body.IsNull(), size == 0);
        EXPECT_EQ(body.TextValue(), bodyText(n, size));
        EXPECT_EQ(again->FieldNamed("Data").BlobValue(), bodyText(n + 100, size / 2));
    }
    EXPECT_EQ(n, static_cast<int>(std::size(sizes)));
    EXPECT_EQ(again->CheckFiles(), std::vector<std::string>{});
}

TEST_F(BlobColumns, ATableMadeWithSmallerBlocksKeepsValuesInThem) {
    {
        auto refused = newsTable(dirName_);
        refused->BlobBlockSize = 32;
        EXPECT_EQ(engineCode([&] { refused->CreateTable(); }), 10029);
        EXPECT_FALSE(std::filesystem::exists(dir_ / "News.DAT"));
    }
    auto table = newsTable(dirName_);
    table->BlobBlockSize = 128;
    table->CreateTable();
    table->Open();
    const std::size_t sizes[] = {1, 120, 121, 1000};  // 120 bytes fill a block of 128
    for (int n = 1; n <= 4; ++n) add(*table, n, sizes[n - 1]);
    // One block for each of the first two, two for the third, nine for the last.
    EXPECT_EQ(blobFileSize(), 512u + (1 + 1 + 2 + 9) * 128u);
    table->Close();

    auto again = reopen();
    int n = 0;
    for (again->MoveFirst(); !again->AtEnd(); again->MoveNext()) {
        ++n;
        EXPECT_EQ(again->FieldNamed("Body").TextValue(), bodyText(n, sizes[n - 1]));
    }
    EXPECT_EQ(n, 4);
    again->MoveFirst();
    again->DeleteRow();
    add(*again, 5, 120);  // takes the block the deleted value freed
    EXPECT_EQ(blobFileSize(), 512u + (1 + 1 + 2 + 9) * 128u);
    EXPECT_EQ(again->CheckFiles(), std::vector<std::string>{});
}

TEST_F(BlobColumns, ATextReadIntoAUsedStringReplacesWhatItHeld) {
    const std::size_t sizes[] = {3 * kBlockRoom, 0, 10, kBlockRoom + 1, 0};
    auto table = create();
    int n = 0;
    for (std::size_t size : sizes) add(*table, ++n, size);
    table->Close();

    auto again = reopen();
    std::string text = "left from before, longer than some of the values read into it";
    std::string site = text;
    n = 0;
    for (again->MoveFirst(); !again->AtEnd(); again->MoveNext()) {
        const std::size_t size = sizes[n++];
        SCOPED_TRACE(size);
        again->FieldNamed("Body").ReadTextValue(text);
        EXPECT_EQ(text, bodyText(n, size));
        again->FieldNamed("Body").ReadTextValue(text);  // the second time from the row's own
        EXPECT_EQ(text, bodyText(n, size));
        again->FieldNamed("Site").ReadTextValue(site);  // not a memo: its text
        EXPECT_EQ(site, std::to_string(n));
    }
    EXPECT_EQ(n, static_cast<int>(std::size(sizes)));
    // A value assigned in edit state, not yet posted, is what the field holds.
    again->MoveFirst();
    again->StartEdit();
    again->FieldNamed("Body").SetTextValue("edited");
    again->FieldNamed("Body").ReadTextValue(text);
    EXPECT_EQ(text, "edited");
    again->CancelRow();
    again->FieldNamed("Body").ReadTextValue(text);
    EXPECT_EQ(text, bodyText(1, sizes[0]));
}

TEST_F(BlobColumns, ReplacedAndDeletedValuesFreeBlocksThatLaterWritesTake) {
    auto table = create();
    add(*table, 1, 20 * kBlockRoom);
    add(*table, 2, 10);
    // Long to short: the short value is written first, then the 20 long blocks go free, and
    // a new long value fits into them.
    table->MoveFirst();
    table->StartEdit();
    table->FieldNamed("Body").SetTextValue("short");
    table->PostRow();
    EXPECT_EQ(table->FieldNamed("Body").TextValue(), "short");
    const auto grown = blobFileSize();
    add(*table, 3, 20 * kBlockRoom);
    EXPECT_EQ(blobFileSize(), grown);
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});

    // An edit that leaves the memo alone keeps its value.
    table->MoveLast();
    table->StartEdit();
    table->FieldNamed("Title").SetTextValue("renamed");
    table->PostRow();
    EXPECT_EQ(table->FieldNamed("Body").TextValue(), bodyText(3, 20 * kBlockRoom));

    // Rows inserted and deleted ten thousand times leave the file as it was after the first,
    // which held as many blocks as the largest of them.
    add(*table, 4, 3 * kBlockRoom + 2, std::string(49, 'x'));
    table->MoveLast();
    table->DeleteRow();
    const auto steady = blobFileSize();
    for (int round = 0; round < 10000; ++round) {
        add(*table, round, (round % 4) * kBlockRoom + round % 3, std::string(round % 50, 'd'));
        table->MoveLast();
        ASSERT_EQ(table->FieldNamed("Site").IntegerValue(), round);
        table->DeleteRow();
    }
    EXPECT_EQ(blobFileSize(), steady);
    EXPECT_EQ(describeRows(*table), "1:10080:5:0:BAD\n2:10:10:0\n3:renamed:10080:0\n");
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
}

TEST_F(BlobColumns, CopiedRowsGetTheirOwnValues) {
    auto table = create();
    add(*table, 1, 2000, "data");
    table->CopyOnAppend = true;
    table->StartInsert();
    table->FieldNamed("Title").SetTextValue("copy");
    table->PostRow();
    table->MoveFirst();
    table->DeleteRow();  // the first row's blocks go free; the copy keeps its own
    add(*table, 9, 2000);
    EXPECT_EQ(describeRows(*table), "3:2000:2000:0\n2:copy:2000:4\n");  // 3 took slot 1
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
}

TEST_F(BlobColumns, AValueOverTheLimitIsRefusedAndNothingChanges) {
    auto table = create();
    add(*table, 1, 100);
    const auto size = blobFileSize();
    table->MoveFirst();
    table->StartEdit();
    try {
        table->FieldNamed("Body").SetTextValue(std::string(kLimit + 1, 'x'));
        FAIL() << "no error";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 10029);
        EXPECT_NE(std::string(e.what()).find("Invalid blob length"), std::string::npos) << e.what();
    }
    EXPECT_EQ(table->FieldNamed("Body").TextValue(), bodyText(1, 100));
    table->PostRow();
    EXPECT_EQ(blobFileSize(), size);
    EXPECT_EQ(describeRows(*table), "1:100:100:0\n");
}

TEST_F(BlobColumns, BlobAccessOnOtherFieldsIsRefused) {
    auto table = create();
    add(*table, 1, 10);
    try {
        table->FieldNamed("Title").BlobValue();
        FAIL() << "no error";
    } catch (const EStoreEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 10753);
    }
}

// A value read from the file brings the values of the rows after it along; those must
// never outlive a change. Values of one block each: every delete below frees a block that
// the insert after it takes for a value of the same length, so a value kept from before
// would be read for the new row.
TEST_F(BlobColumns, ValuesReadAheadGiveWayToChangesOfAnotherTableObjectAndOfTheirOwn) {
    auto table = create();
    for (int n = 1; n <= 12; ++n) add(*table, n, 300);
    auto walkFromFirst = [&] {
        table->MoveFirst();
        EXPECT_EQ(table->FieldNamed("Body").TextValue(), bodyText(1, 300));
    };
    auto replace = [](TStoreTable& t, int site, int by) {
        for (t.MoveFirst(); t.FieldNamed("Site").IntegerValue() != site; t.MoveNext()) {}
        t.StartEdit();
        t.FieldNamed("Site").SetIntegerValue(by);
        t.FieldNamed("Body").SetTextValue(bodyText(by, 300));
        t.PostRow();
    };
    auto remove = [](TStoreTable& t, int site) {
        for (t.MoveFirst(); t.FieldNamed("Site").IntegerValue() != site; t.MoveNext()) {}
        t.DeleteRow();
    };

    // Another session's table object: its writes reach this one through the files alone.
    TStoreSession other;
    other.SetSessionName("Other");
    auto theirs = newsTable(dirName_);
    theirs->SetSessionName("Other");
    theirs->Open();
    walkFromFirst();
    replace(*theirs, 5, 105);
    remove(*theirs, 6);
    add(*theirs, 106, 300);
    table->RefreshRows();
    EXPECT_EQ(describeRows(*table).find("BAD"), std::string::npos) << describeRows(*table);

    walkFromFirst();
    replace(*table, 7, 107);
    remove(*table, 8);
    add(*table, 108, 300);
    const std::string rows = describeRows(*table);
    EXPECT_EQ(rows.find("BAD"), std::string::npos) << rows;
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 12);
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
}
