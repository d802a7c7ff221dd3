// wispel_table_peer COMMAND DIR [ARG...]: another process on the sites table of DIR.
//
//   edit DIR ID            starts editing the row of that ID, prints "ready", holds the edit
//                          until a line (or the end) arrives on standard input
//   open DIR MODE          opens the table (MODE exclusive, shared or readonly), prints
//                          "ready", holds it open until a line arrives
//   walk DIR [MODE]        opens, prints "readonly" or "writable" and the names in order
//   walk-as-nobody DIR     the same as the user "nobody" when run by root, so that a file
//                          without write permission is one this process may not write
//   writer DIR START SEED  inserts, edits and deletes rows at random without end; before
//                          each operation prints "begin OP ID NAME", after it "done OP ID
//                          NAME" (the ID of an insert only in its "done" line); names are
//                          "n" or "e" and a counter that starts at START
//   memo-writer DIR START SEED  the same on News.DAT (tests/tablestore/sitesfixture), whose
//                          rows carry a memo: NAME is "n" or "e", the counter, ":" and the
//                          memo's length; Site holds the counter and the memo is
//                          bodyText(counter, length), so edits grow and shrink it; it
//                          holds the write lock across runs of up to 8 operations at random
//
// Errors print "error CODE" (0 for errors without an engine code) and exit 1.

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "feeds/SitesSchema.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/errors/StoreEngineError.h"
#include "tests/tablestore/sitesfixture/NewsTableFixture.h"

using namespace wispel;

namespace {

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void waitForLine() {
    std::string line;
    std::getline(std::cin, line);
}

void open(TStoreTable& table, const std::string& dir, const std::string& mode = "shared") {
    table.SetDatabaseName(dir);
    table.SetTableName(kSitesTableName);
    table.SetExclusive(mode == "exclusive");
    table.SetReadOnly(mode == "readonly");
    table.Open();
}

bool findId(TStoreTable& table, int id) {
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
        if (table.FieldNamed("ID").IntegerValue() == id) return true;
    return false;
}

// Names the row of an insert ("n") or edit ("e") numbered `counter` and fills its fields.
using RowFiller = std::function<std::string(TStoreTable&, const char* kind, long counter)>;

// Holds the table's write lock across runs of operations at random, so that a kill also
// meets operations whose index changes wait for the lock to be handed back.
class HeldRuns {
public:
    HeldRuns(TStoreTable& table, bool enabled) : table_(table), enabled_(enabled) {}
    void beforeOperation(std::mt19937& random) {
        if (!enabled_ || left_ > 0 || random() % 2 == 0) return;
        table_.LockTable(TStoreLockType::ltWriteLock);
        left_ = 1 + static_cast<int>(random() % 8);
    }
    void afterOperation() {
        if (left_ > 0 && --left_ == 0) table_.UnlockTable(TStoreLockType::ltWriteLock);
    }

private:
    TStoreTable& table_;
    bool enabled_;
    int left_ = 0;
};

// One insert, edit or delete at random, reported before it starts and once it returned.
void writeOne(TStoreTable& table, long counter, std::mt19937& random, const RowFiller& fill,
              std::vector<int>& ids) {
    const int pick = static_cast<int>(random() % 10);
    const bool insert = ids.size() < 5 || (pick < 5 && ids.size() < 40);
    if (insert) {
        table.StartInsert();
        const std::string name = fill(table, "n", counter);
        say("begin insert 0 " + name);
        table.PostRow();
        const int id = table.FieldNamed("ID").IntegerValue();
        ids.push_back(id);
        say("done insert " + std::to_string(id) + " " + name);
        return;
    }
    const std::size_t at = random() % ids.size();
    const int id = ids[at];
    if (!findId(table, id)) throw EDatabaseError("row " + std::to_string(id) + " missing");
    if (pick < 8) {
        table.StartEdit();
        const std::string name = fill(table, "e", counter);
        say("begin edit " + std::to_string(id) + " " + name);
        table.PostRow();
        say("done edit " + std::to_string(id) + " " + name);
    } else {
        say("begin delete " + std::to_string(id) + " -");
        table.DeleteRow();
        ids.erase(ids.begin() + static_cast<long>(at));
        say("done delete " + std::to_string(id) + " -");
    }
}

void writeAtRandom(TStoreTable& table, long counter, unsigned seed, const RowFiller& fill,
                   bool holdLocks = false) {
    std::mt19937 random(seed);
    std::vector<int> ids;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
        ids.push_back(table.FieldNamed("ID").IntegerValue());
    say("ready");
    HeldRuns held(table, holdLocks);
    for (;; ++counter) {
        held.beforeOperation(random);
        writeOne(table, counter, random, fill, ids);
        held.afterOperation();
    }
}

std::string fillSite(TStoreTable& table, const char* kind, long counter) {
    const std::string name = kind + std::to_string(counter);
    table.FieldNamed("Name").SetTextValue(name);
    if (*kind == 'n') {
        table.FieldNamed("URL").SetTextValue("http://example.org/" + name);
        table.FieldNamed("Update").SetIntegerValue(static_cast<int>(counter % 1000));
        table.FieldNamed("Active").SetBooleanValue(counter % 2 == 0);
    }
    return name;
}

// Memo rows: Site holds the counter, the memo is bodyText(counter, length) of a length drawn
// from sizes around the block size, so that edits grow and shrink it.
RowFiller memoFiller(unsigned seed) {
    auto random = std::make_shared<std::mt19937>(seed ^ 0x5bd1e995u);
    return [random](TStoreTable& table, const char* kind, long counter) {
        static const std::size_t lengths[] = {0, 1, 504, 505, 3000, 20000, 70000};
        const std::size_t length = lengths[(*random)() % std::size(lengths)];
        const std::string name = kind + std::to_string(counter) + ":" + std::to_string(length);
        table.FieldNamed("Site").SetIntegerValue(static_cast<int>(counter));
        table.FieldNamed("Title").SetTextValue(name);
        table.FieldNamed("Body").SetTextValue(test::bodyText(static_cast<int>(counter), length));
        return name;
    };
}

int run(const std::vector<std::string>& args) {
    TStoreTable table;
    const std::string& command = args.at(0);
    const std::string& dir = args.at(1);
    if (command == "edit") {
        open(table, dir);
        if (!findId(table, std::stoi(args.at(2)))) throw EDatabaseError("no such row");
        table.StartEdit();
        say("ready");
        waitForLine();
        table.CancelRow();
    } else if (command == "open") {
        open(table, dir, args.at(2));
        say("ready");
        waitForLine();
    } else if (command == "walk" || command == "walk-as-nobody") {
        if (command == "walk-as-nobody" && ::geteuid() == 0 &&
            (::setgid(65534) != 0 || ::setuid(65534) != 0))
            throw EDatabaseError("cannot become nobody");
        open(table, dir, args.size() > 2 ? args[2] : "shared");
        say(table.ReadOnly() ? "readonly" : "writable");
        for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
            say(table.FieldNamed("Name").TextValue());
    } else if (command == "memo-writer") {
        table.SetDatabaseName(dir);
        table.SetTableName(test::kNewsTableName);
        table.Open();
        const auto seed = static_cast<unsigned>(std::stoul(args.at(3)));
        writeAtRandom(table, std::stol(args.at(2)), seed, memoFiller(seed), true);
    } else if (command == "writer") {
        open(table, dir);
        writeAtRandom(table, std::stol(args.at(2)), static_cast<unsigned>(std::stoul(args.at(3))),
                      fillSite);
    } else {
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EStoreEngineError& e) {
        say("error " + std::to_string(e.ErrorCode()));
    } catch (const std::exception& e) {
        say("error 0 " + std::string(e.what()));
    }
    return 1;
}
