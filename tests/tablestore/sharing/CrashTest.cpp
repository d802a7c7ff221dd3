// A writer process killed (SIGKILL) at random points of a loop of inserts, edits and
// deletes: after every kill the table checks clean and holds exactly the rows the writer
// reported as done, give or take the one operation it was in the middle of. The same on a
// table with a memo column whose edits grow and shrink the memo: every row's memo reads
// back whole, and no blob block is lost or shared, also where the writer holds the write
// lock across several operations, whose index changes wait for the lock to be handed back.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <random>
#include <signal.h>
#include <sstream>
#include <thread>

#include "tests/support/ChildProcess.h"
#include "tests/tablestore/sitesfixture/NewsTableFixture.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

const std::string kSitesTool = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-sites";
const std::string kTableTool = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-table";
const std::string kPeer = std::string(WISPEL_BINARY_DIR) + "/tests/tablestore/peer/wispel_table_peer";
constexpr int kKills = 200;

using Rows = std::map<int, std::string>;  // ID -> Name

struct Operation {
    std::string kind;  // insert, edit, delete; empty when none was in flight
    int id = 0;
    std::string name;
};

Operation parse(const std::string& line, std::string& phase) {
    std::istringstream in(line);
    Operation op;
    in >> phase >> op.kind >> op.id >> op.name;
    return op;
}

// Applies the writer's report to `rows`; returns the operation it had begun and not finished.
Operation applyReport(ChildProcess& writer, Rows& rows) {
    Operation inFlight;
    std::string line;
    while (writer.readLine(line, 10000)) {
        std::string phase;
        Operation op = parse(line, phase);
        if (phase == "begin") {
            inFlight = op;
            continue;
        }
        if (phase != "done") continue;
        inFlight = {};
        if (op.kind == "delete") rows.erase(op.id);
        else rows[op.id] = op.name;
    }
    return inFlight;
}

Rows readRows(const std::string& dir) {
    TStoreTable table;
    table.SetDatabaseName(dir);
    table.SetTableName(kSitesTableName);
    table.Open();
    Rows rows;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
        rows[table.FieldNamed("ID").IntegerValue()] = table.FieldNamed("Name").TextValue();
    return rows;
}

// The memo table's rows as ID -> Title ("n12:600": the counter and the memo's length); a
// memo that is not the one its row names adds " BAD" to the title.
Rows readMemoRows(const std::string& dir) {
    auto table = newsTable(dir);
    table->Open();
    Rows rows;
    for (table->MoveFirst(); !table->AtEnd(); table->MoveNext()) {
        std::string title = table->FieldNamed("Title").TextValue();
        const std::size_t length = std::stoul(title.substr(title.find(':') + 1));
        const std::string body = table->FieldNamed("Body").TextValue();
        if (body != bodyText(table->FieldNamed("Site").IntegerValue(), length)) title += " BAD";
        rows[table->FieldNamed("ID").IntegerValue()] = title;
    }
    return rows;
}

// The table's rows against the reported ones, the operation in flight either done or not.
void expectRows(const Rows& reported, const Rows& actual, const Operation& inFlight) {
    Rows expected = reported;
    if (inFlight.kind == "edit" && actual.count(inFlight.id) &&
        actual.at(inFlight.id) == inFlight.name)
        expected[inFlight.id] = inFlight.name;
    if (inFlight.kind == "delete" && !actual.count(inFlight.id)) expected.erase(inFlight.id);
    if (inFlight.kind == "insert")
        for (const auto& [id, name] : actual)
            if (!reported.count(id) && name == inFlight.name) expected[id] = name;
    EXPECT_EQ(actual, expected) << "operation in flight: " << inFlight.kind << " " << inFlight.id;
}

}  // namespace

class CrashSafety : public SitesTableTest {
protected:
    // Kills a writer `kKills` times; after each kill `checkArgs` (a tool and its arguments)
    // must find nothing wrong and `read` the rows reported.
    void killRepeatedly(const std::string& writerCommand, const std::vector<std::string>& checkArgs,
                        const std::function<Rows(const std::string&)>& read) {
        std::mt19937 random(12345);
        Rows reported;
        for (int kill = 0; kill < kKills; ++kill) {
            ChildProcess writer(kPeer, {writerCommand, dirName_, std::to_string(kill * 100000),
                                        std::to_string(random())});
            std::string line;
            ASSERT_TRUE(writer.readLine(line)) << "writer did not start";
            ASSERT_EQ(line, "ready");
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 15000));
            writer.kill(SIGKILL);
            const Operation inFlight = applyReport(writer, reported);
            ASSERT_EQ(writer.wait(), 128 + SIGKILL);

            std::string problems;
            ASSERT_EQ(runProgram(checkArgs[0], {checkArgs.begin() + 1, checkArgs.end()}, problems), 0)
                << "after kill " << kill << ":\n" << problems;
            const Rows actual = read(dirName_);
            expectRows(reported, actual, inFlight);
            if (HasFailure()) return;
            reported = actual;
        }
    }
};

TEST_F(CrashSafety, WriterKilledAtRandomPointsLosesNothingReported) {
    createSites();
    killRepeatedly("writer", {kSitesTool, "--dir", dirName_, "check"}, readRows);
}

TEST_F(CrashSafety, MemoWriterKilledAtRandomPointsLosesNoValueNorBlock) {
    auto table = newsTable(dirName_);
    table->CreateTable();
    table.reset();
    killRepeatedly("memo-writer", {kTableTool, "--dir", dirName_, kNewsTableName, "check"},
                   readMemoRows);
}
