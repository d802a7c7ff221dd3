// Every single write of an insert, a modify and a delete failed in turn (disk full, a short
// write, an I/O error): the operation reports 9218 (or the system's code) and the table is
// as it was before it, its files checking clean.

#include <gtest/gtest.h>

#include "tablestore/component/StoreSession.h"
#include "tablestore/errors/StoreEngineError.h"
#include "tablestore/files/FaultInjectingFileSystem.h"
#include "tests/tablestore/sitesfixture/SessionFileSystem.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

struct Case {
    const char* operation;
    StoreFault fault;
    StoreResult code;
};

class FailedWrite : public SitesTableTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        SitesTableTest::SetUp();
        auto table = createSites();
        for (const char* name : {"A", "B", "C"}) addSite(*table, name, "u", 1, true);
        table->MoveFirst();
        table->MoveNext();
        table->DeleteRow();  // a free slot for the insert to reuse
        DefaultSession().SetDiskFileSystem(&faulty_);
    }
    void TearDown() override {
        DefaultSession().SetDiskFileSystem(nullptr);
        SitesTableTest::TearDown();
    }
    // The rows as "ID:Name" in table order, read by a table of its own.
    std::string contents() const {
        auto table = sitesTable();
        table->Open();
        std::string out;
        for (table->MoveFirst(); !table->AtEnd(); table->MoveNext())
            out += table->FieldNamed("ID").TextValue() + ":" + table->FieldNamed("Name").TextValue() + " ";
        EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
        return out;
    }
    // Runs the operation with its nth write failing; false once the operation has fewer.
    bool runFailing(int nth) {
        auto table = sitesTable();
        table->Open();
        table->MoveLast();
        faulty_.failWrite(nth, GetParam().fault);
        const std::string op = GetParam().operation;
        const int writesBefore = faulty_.writeCount();
        try {
            if (op == "insert") {
                table->StartInsert();
                table->FieldNamed("Name").SetTextValue("new");
                table->PostRow();
            } else if (op == "modify") {
                table->StartEdit();
                table->FieldNamed("Name").SetTextValue("changed");
                table->PostRow();
            } else {
                table->DeleteRow();
            }
        } catch (const EStoreEngineError& e) {
            faulty_.failWrite(0, GetParam().fault);
            EXPECT_EQ(e.ErrorCode(), GetParam().code) << op << " with write " << nth << " failing";
            // The error names the file whose write failed, not only the table.
            EXPECT_NE(e.message().find("table '" + dirName_ + "Sites."), std::string::npos)
                << e.message();
            // A failed post keeps the row being edited with the user's values.
            EXPECT_EQ(table->State(), op == "insert"   ? TStoreDataSetState::dsInsert
                                      : op == "modify" ? TStoreDataSetState::dsEdit
                                                       : TStoreDataSetState::dsBrowse);
            table->CancelRow();
            return true;
        }
        faulty_.failWrite(0, GetParam().fault);
        EXPECT_GT(faulty_.writeCount() - writesBefore, 0);
        return false;
    }

    FaultInjectingFileSystem faulty_{posixFileSystem()};
};

}  // namespace

TEST_P(FailedWrite, LeavesTheTableAsItWas) {
    const std::string before = contents();
    int failed = 0;
    for (int nth = 1; runFailing(nth); ++nth) {
        ++failed;
        EXPECT_EQ(contents(), before) << "after write " << nth << " failed";
        if (HasFailure()) return;
    }
    EXPECT_GE(failed, 3);  // the note, the record, the header and the index header at least
    EXPECT_NE(contents(), before);  // the operation itself works once nothing fails
}

INSTANTIATE_TEST_SUITE_P(
    EachWrite, FailedWrite,
    ::testing::Values(Case{"insert", StoreFault::NoSpace, 9218}, Case{"insert", StoreFault::ShortTransfer, 9218},
                      Case{"modify", StoreFault::NoSpace, 9218}, Case{"modify", StoreFault::ShortTransfer, 9218},
                      Case{"delete", StoreFault::NoSpace, 9218}, Case{"delete", StoreFault::IoError, 9218}),
    [](const auto& info) {
        return std::string(info.param.operation) + std::to_string(static_cast<int>(info.param.fault));
    });

// A session's file system is its own: a table of another session in the same process still
// writes to the disk while the default session's writes all fail.
TEST_F(SitesTableTest, AFailingFileSystemBelongsToItsSessionAlone) {
    createSites();
    FaultInjectingFileSystem faulty{posixFileSystem()};
    faulty.failWrite(1, StoreFault::IoError);
    {
        DefaultSessionFileSystem failing(faulty);
        TStoreSession other;
        other.SetSessionName("Other");
        auto table = sitesTable();
        table->SetSessionName("Other");
        table->Open();
        addSite(*table, "A", "u", 1, true);
    }
    EXPECT_EQ(faulty.writeCount(), 0);
    auto reader = sitesTable();
    reader->Open();
    EXPECT_EQ(names(*reader), "A");
}
