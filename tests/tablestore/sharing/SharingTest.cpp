// One sites table shared with another process (wispel-sites or the peer program): what each
// sees of the other's changes, record locks, exclusive and read-only opening.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tablestore/component/StoreSession.h"
#include "tablestore/engine/TableLocks.h"
#include "tablestore/errors/StoreEngineError.h"
#include "tablestore/files/StoreFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

const std::string kSitesTool = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-sites";
const std::string kPeer = std::string(WISPEL_BINARY_DIR) + "/tests/tablestore/peer/wispel_table_peer";

class Sharing : public SitesTableTest {
protected:
    std::string sites(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"--dir", dirName_});
        std::string out;
        EXPECT_EQ(runProgram(kSitesTool, arguments, out), 0) << out;
        return out;
    }
    // A peer holding something until told to stop; its first line is checked.
    std::unique_ptr<ChildProcess> peer(const std::vector<std::string>& arguments,
                                       const std::string& expected = "ready") const {
        auto child = std::make_unique<ChildProcess>(kPeer, arguments);
        std::string line;
        EXPECT_TRUE(child->readLine(line));
        EXPECT_EQ(line, expected);
        return child;
    }
};

}  // namespace

TEST_F(Sharing, RowAddedByAnotherProcessIsSeenAtTheNextLockedOperation) {
    auto table = createSites();
    addSite(*table, "Mine", "u", 1, true);
    EXPECT_EQ(sites({"add", "Theirs", "http://t/", "--update", "5"}), "2\n");
    table->RefreshRows();
    EXPECT_EQ(names(*table), "Mine Theirs");
    // And the other way round: the tool reads what this process wrote.
    addSite(*table, "Third", "u", 1, false);
    EXPECT_EQ(sites({"list", "--tsv"}),
              "1\tMine\tu\t1\tTrue\n2\tTheirs\thttp://t/\t5\tTrue\n3\tThird\tu\t1\tFalse\n");
}

TEST_F(Sharing, EditOrDeleteOfARowAnotherProcessChangedFails8708) {
    auto table = createSites();
    addSite(*table, "A", "u", 1, true);
    addSite(*table, "B", "u", 1, true);
    table->MoveFirst();
    sites({"set", "1", "Name=A2"});
    EXPECT_EQ(engineCode([&] { table->StartEdit(); }), 8708);
    EXPECT_EQ(table->FieldNamed("Name").TextValue(), "A2");  // the row as it now is
    table->MoveNext();
    sites({"set", "2", "Update=9"});
    EXPECT_EQ(engineCode([&] { table->DeleteRow(); }), 8708);
    table->RefreshRows();
    table->DeleteRow();
    EXPECT_EQ(sites({"list", "--tsv"}), "1\tA2\tu\t1\tTrue\n");
}

TEST_F(Sharing, EditOfARowAnotherProcessIsEditingFails10258AfterTheRetries) {
    auto table = createSites();
    addSite(*table, "A", "u", 1, true);
    addSite(*table, "B", "u", 1, true);
    auto holder = peer({"edit", dirName_, "1"});
    table->MoveFirst();
    EXPECT_EQ(engineCode([&] { table->StartEdit(); }), 10258);
    EXPECT_EQ(table->State(), TStoreDataSetState::dsBrowse);
    table->MoveNext();
    table->StartEdit();  // another row is free
    table->CancelRow();
    holder->writeLine("stop");
    EXPECT_EQ(holder->wait(), 0);
    table->MoveFirst();
    table->StartEdit();
    table->PostRow();
}

TEST_F(Sharing, ExclusiveAgainstSharedFails11013BothWays) {
    createSites();
    {
        auto holder = peer({"open", dirName_, "shared"});
        auto table = sitesTable();
        table->SetExclusive(true);
        EXPECT_EQ(engineCode([&] { table->Open(); }), 11013);
        EXPECT_FALSE(table->Active());
    }
    {
        auto holder = peer({"open", dirName_, "exclusive"});
        auto table = sitesTable();
        EXPECT_EQ(engineCode([&] { table->Open(); }), 11013);
    }
    auto table = sitesTable();
    table->SetExclusive(true);
    table->Open();
    auto refused = peer({"open", dirName_, "shared"}, "error 11013");
}

TEST_F(Sharing, ReadOnlyOpeningTakesNoLocks) {
    {
        auto table = createSites();
        addSite(*table, "A", "u", 1, true);
        addSite(*table, "B", "u", 1, true);
    }
    // This process holds the table's write lock; a reader that took read locks would wait
    // for it, one that takes none walks the table at once.
    std::unique_ptr<StoreFile> data, index;
    ASSERT_EQ(posixFileSystem().open(dirName_ + "Sites.DAT", {}, data), 0);
    ASSERT_EQ(posixFileSystem().open(dirName_ + "Sites.IDX", {}, index), 0);
    ASSERT_EQ(data->lock(lockoffset::kDataWrite, 1), 0);
    ASSERT_EQ(index->lock(lockoffset::kIndexWrite, lockoffset::kIndexWriteLength), 0);
    auto reader = peer({"walk", dirName_, "readonly"}, "readonly");
    std::string line;
    ASSERT_TRUE(reader->readLine(line, 10000));
    EXPECT_EQ(line, "A");
    ASSERT_TRUE(reader->readLine(line, 10000));
    EXPECT_EQ(line, "B");
    EXPECT_EQ(reader->wait(), 0);
}

TEST_F(Sharing, FileWithoutWritePermissionOpensReadOnly) {
    {
        auto table = createSites();
        addSite(*table, "A", "u", 1, true);
    }
    ::chmod((dirName_ + "Sites.DAT").c_str(), 0444);
    ::chmod((dirName_ + "Sites.IDX").c_str(), 0444);
    ::chmod(dirName_.c_str(), 0755);
    auto reader = peer({"walk-as-nobody", dirName_}, "readonly");
    std::string line;
    ASSERT_TRUE(reader->readLine(line));
    EXPECT_EQ(line, "A");
    EXPECT_EQ(reader->wait(), 0);
}

TEST_F(Sharing, StrictChangeDetectionSeesAnotherProcessAtEveryOperation) {
    auto table = createSites();
    addSite(*table, "A", "u", 1, true);
    DefaultSession().SetStrictChangeDetection(true);
    sites({"add", "B", "http://u/"});
    const int seen = table->RecordCount();  // no refresh, no lock of its own
    DefaultSession().SetStrictChangeDetection(false);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(names(*table), "A B");
}

TEST_F(Sharing, SitesToolChecksTheFilesAndReportsEngineErrors) {
    {
        auto table = createSites();
        addSite(*table, "A", "u", 1, true);
        addSite(*table, "B", "u", 1, true);
    }
    EXPECT_EQ(sites({"check"}), "");
    sites({"delete", "1"});
    EXPECT_EQ(sites({"list", "--tsv"}), "2\tB\tu\t1\tTrue\n");
    std::string out;
    EXPECT_EQ(runProgram(kSitesTool, {"--dir", dirName_, "delete", "7"}, out), 1);
    // The index header's count of active records (offset 3974) made wrong: the index file
    // is made again when the table opens.
    {
        std::fstream index(dirName_ + "Sites.IDX", std::ios::in | std::ios::out | std::ios::binary);
        index.seekp(3974);
        index.put(9);
    }
    EXPECT_EQ(sites({"check"}), "");
    EXPECT_EQ(sites({"list", "--tsv"}), "2\tB\tu\t1\tTrue\n");
    // Record 2's Active value (record offset 279) made 7.
    {
        std::fstream data(dirName_ + "Sites.DAT", std::ios::in | std::ios::out | std::ios::binary);
        data.seekp(127 + 5 * 768 + 281 + 279);
        data.put(7);
    }
    EXPECT_EQ(runProgram(kSitesTool, {"--dir", dirName_, "check"}, out), 1);
    EXPECT_EQ(out, "record 2: Active holds the Boolean value 7\n");
    std::filesystem::remove(dirName_ + "Sites.DAT");
    EXPECT_EQ(runProgram(kSitesTool, {"--dir", dirName_, "list"}, out), 1);
}

TEST_F(Sharing, FilterIsEvaluatedAgainAfterAnotherProcessChangedTheTable) {
    auto table = createSites();
    addSite(*table, "A", "u", 1, true);
    addSite(*table, "B", "u", 1, false);
    table->SetFilter("Active = TRUE");
    table->SetFiltered(true);
    EXPECT_EQ(names(*table), "A");
    sites({"set", "2", "Active=True"});
    sites({"set", "1", "Active=False"});
    sites({"add", "C", "http://u/"});
    sites({"add", "D", "http://u/", "--inactive"});
    table->RefreshRows();
    EXPECT_EQ(names(*table), "B C");
    std::string found;
    for (bool ok = table->FindFirstMatch(); ok; ok = table->FindNextMatch())
        found += table->FieldNamed("Name").TextValue() + " ";
    EXPECT_EQ(found, "B C ");
}
