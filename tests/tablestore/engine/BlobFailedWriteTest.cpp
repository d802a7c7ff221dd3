// Every single write of an insert, a modify and a delete of rows with memo and blob values
// failed in turn: the operation reports 9218 and the table, blob values and free blocks
// included, is as it was before it, its files checking clean. The same for a run of them
// under a write lock held across them, whose index and blob headers wait for the lock to be
// handed back: the table holds every operation that returned.

#include <gtest/gtest.h>

#include <functional>

#include "tablestore/component/StoreSession.h"
#include "tablestore/errors/StoreEngineError.h"
#include "tablestore/files/FaultInjectingFileSystem.h"
#include "tests/tablestore/sitesfixture/NewsTableFixture.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

void add(TStoreTable& table, int n, std::size_t length) {
    table.StartInsert();
    table.FieldNamed("Site").SetIntegerValue(n);
    table.FieldNamed("Title").SetTextValue(std::to_string(length));
    table.FieldNamed("Body").SetTextValue(bodyText(n, length));
    table.PostRow();
}

// The memo table with rows of 700, 1400 and 2100 bytes, and every file of it opened
// through a file system that fails a write when told to.
class FaultyMemoTable : public SitesTableTest {
protected:
    void SetUp() override {
        SitesTableTest::SetUp();
        auto table = newsTable(dirName_);
        table->CreateTable();
        table->Open();
        for (int n : {1, 2, 3}) add(*table, n, 700 * n);
        prepare(*table);
        table->Close();
        DefaultSession().SetDiskFileSystem(&faulty_);
    }
    void TearDown() override {
        DefaultSession().SetDiskFileSystem(nullptr);
        SitesTableTest::TearDown();
    }
    // What a test does to the rows before writes may fail.
    virtual void prepare(TStoreTable&) {}
    std::string contents() {
        auto table = newsTable(dirName_);
        table->Open();
        EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
        return describeRows(*table);
    }

    FaultInjectingFileSystem faulty_{posixFileSystem()};
};

struct Case {
    const char* operation;
    StoreFault fault;
};

class BlobFailedWrite : public FaultyMemoTable, public ::testing::WithParamInterface<Case> {
protected:
    void prepare(TStoreTable& table) override {
        table.MoveFirst();
        table.MoveNext();
        table.DeleteRow();  // free blocks and a free slot for the insert to reuse
    }
    bool runFailing(int nth) {
        auto table = newsTable(dirName_);
        table->Open();
        table->MoveLast();
        faulty_.failWrite(nth, GetParam().fault);
        const std::string op = GetParam().operation;
        try {
            if (op == "insert") {
                add(*table, 7, 1500);
            } else if (op == "grow" || op == "shrink") {
                table->StartEdit();
                table->FieldNamed("Body").SetTextValue(bodyText(3, op == "grow" ? 3000 : 10));
                table->FieldNamed("Data").SetBlobValue("bytes");
                table->PostRow();
            } else {
                table->DeleteRow();
            }
        } catch (const EStoreEngineError& e) {
            faulty_.failWrite(0, GetParam().fault);
            EXPECT_EQ(e.ErrorCode(), 9218) << op << " with write " << nth << " failing";
            EXPECT_NE(e.message().find("table '" + dirName_ + "News."), std::string::npos)
                << e.message();
            table->CancelRow();
            return true;
        }
        faulty_.failWrite(0, GetParam().fault);
        return false;
    }
};

}  // namespace

TEST_P(BlobFailedWrite, LeavesTheTableAndItsBlobsAsTheyWere) {
    const std::string before = contents();
    int failed = 0;
    for (int nth = 1; runFailing(nth); ++nth) {
        ++failed;
        EXPECT_EQ(contents(), before) << "after write " << nth << " failed";
        if (HasFailure()) return;
    }
    EXPECT_GE(failed, 4);  // the note, a blob write, the record, the headers
    EXPECT_NE(contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    EachWrite, BlobFailedWrite,
    ::testing::Values(Case{"insert", StoreFault::NoSpace}, Case{"insert", StoreFault::ShortTransfer},
                      Case{"grow", StoreFault::ShortTransfer}, Case{"shrink", StoreFault::IoError},
                      Case{"delete", StoreFault::NoSpace}, Case{"delete", StoreFault::ShortTransfer}),
    [](const auto& info) {
        return std::string(info.param.operation) + std::to_string(static_cast<int>(info.param.fault));
    });

namespace {

class HeldLockFailedWrite : public FaultyMemoTable {
protected:
    // The rows as the table object showed them after the last operation that returned.
    struct Outcome {
        std::string rows;
        bool failed = false;
    };
    Outcome runFailing(int nth) {
        auto table = newsTable(dirName_);
        table->Open();
        Outcome outcome{describeRows(*table)};
        faulty_.failWrite(nth, StoreFault::NoSpace);
        const std::vector<std::function<void()>> steps = {
            [&] { add(*table, 7, 1500); },
            [&] {
                table->MoveFirst();
                table->StartEdit();
                table->FieldNamed("Body").SetTextValue(bodyText(1, 3000));
                table->PostRow();
            },
            [&] { add(*table, 8, 20); },
            [&] {
                table->MoveLast();
                table->DeleteRow();
            },
        };
        try {
            table->LockTable(TStoreLockType::ltWriteLock);
            for (const auto& step : steps) {
                step();
                outcome.rows = describeRows(*table);
            }
            table->UnlockTable(TStoreLockType::ltWriteLock);
        } catch (const EStoreEngineError& e) {
            EXPECT_EQ(e.ErrorCode(), 9218) << "write " << nth << " failing";
            outcome.failed = true;
            table->CancelRow();
        }
        faulty_.failWrite(0, StoreFault::NoSpace);
        // A lock still held goes with the table.
        return outcome;
    }
};

}  // namespace

TEST_F(HeldLockFailedWrite, KeepsEveryOperationThatReturned) {
    int failed = 0;
    for (int nth = 1;; ++nth) {
        const Outcome outcome = runFailing(nth);
        EXPECT_EQ(contents(), outcome.rows) << "after write " << nth << " failed";
        if (HasFailure() || !outcome.failed) break;
        ++failed;
    }
    EXPECT_GE(failed, 10);  // each operation's writes and those of the lock's end
}
