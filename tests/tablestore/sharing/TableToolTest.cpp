// wispel-table against a table with memo and blob columns and an index: each command line,
// its exit status and its output (standard output and error together).

#include <gtest/gtest.h>

#include "tests/support/ChildProcess.h"
#include "tests/tablestore/sitesfixture/NewsTableFixture.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

const std::string kTableTool = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-table";

class TableTool : public SitesTableTest {
protected:
    void SetUp() override {
        SitesTableTest::SetUp();
        auto table = newsTable(dirName_);
        table->IndexDefs().Add("BySite", "Site;Title");
        table->CreateTable();
        table->Open();
        struct Row {
            int site;
            const char* title;
            std::string body;
            std::string data;
        };
        const Row rows[] = {{17, "one", "first\tline\nsecond \x1b[2J", "12345"},
                            {3, "two", "", ""},
                            {17, "three", std::string(3000, 'm'), std::string(70000, '\0')},
                            {10, "four", "caf\xC3\xA9", "x"}};
        for (const Row& row : rows) {
            table->StartInsert();
            table->FieldNamed("Site").SetIntegerValue(row.site);
            table->FieldNamed("Title").SetTextValue(row.title);
            table->FieldNamed("Body").SetTextValue(row.body);
            table->FieldNamed("Data").SetBlobValue(row.data);
            table->PostRow();
        }
    }
};

struct Case {
    std::vector<std::string> args;  // after --dir DIR
    int status;
    std::string out;  // the whole output, or its start when it ends in "..."
};

}  // namespace

TEST_F(TableTool, CommandsPrintTheTable) {
    const Case cases[] = {
        {{"News.DAT", "schema"}, 0,
         "ID\tautoinc\nSite\tinteger\nTitle\ttext(40)\nBody\tmemo\nData\tblob\nindex BySite\tSite;Title\n"},
        {{"News.DAT", "list", "--tsv", "--fields", "ID,Body,Data"}, 0,
         "1\tfirst\\tline\\nsecond \\x1B[2J\t5\n2\t\t0\n3\t" + std::string(3000, 'm') +
             "\t70000\n4\tcaf\xC3\xA9\t1\n"},
        {{"News.DAT", "list", "--fields", "Title,Site"}, 0, "Title  Site\none  17\ntwo  3\nthree  17\nfour  10\n"},
        {{"News.DAT", "list", "--tsv", "--index", "BySite", "--fields", "Title"}, 0,
         "two\nfour\none\nthree\n"},
        {{"News.DAT", "list", "--tsv", "--index", "BySite", "--key", "17", "--fields", "Title"}, 0,
         "one\nthree\n"},
        {{"News.DAT", "list", "--tsv", "--index", "BySite", "--key", "17", "three", "--fields", "ID"}, 0,
         "3\n"},
        {{"News.DAT", "list", "--tsv", "--index", "BySite", "--range", "4", "17", "--fields", "Title"}, 0,
         "four\none\nthree\n"},
        {{"News.DAT", "list", "--tsv", "--index", "BySite", "--range", "11", "--fields", "Title"}, 0,
         "one\nthree\n"},
        {{"News.DAT", "list", "--tsv", "--filter", "Site = 17 AND Title > 'p'", "--fields", "ID"}, 0,
         "3\n"},
        {{"News.DAT", "count", "--filter", "Site > 5"}, 0, "3\n"},
        {{"News.DAT", "count"}, 0, "4\n"},
        {{"News.DAT", "check"}, 0, ""},
        {{"Missing.DAT", "list"}, 1, "Table Engine Error # 11010 ..."},
        {{"News.DAT", "list", "--filter", "Site ="}, 1, "Table Engine Error # 10051 ..."},
        {{"News.DAT", "list", "--index", "Nothing"}, 1, "Table Engine Error # 10022 ..."},
        {{"News.DAT", "list", "--fields", "Nothing"}, 1, "Field 'Nothing' not found..."},
        {{"News.DAT"}, 2, "wispel-table: no command\nusage: ..."},
        {{"News.DAT", "drop"}, 2, "wispel-table: unknown command 'drop'..."},
        {{"News.DAT", "list", "--range", "1"}, 2, "wispel-table: --range and --key need --index..."},
        {{"News.DAT", "count", "--tsv"}, 2, "wispel-table: unexpected argument '--tsv' for 'count'..."},
        {{"News.DAT", "list", "--filter"}, 2, "wispel-table: '--filter' needs a value..."},
    };
    for (const Case& c : cases) {
        // Through the shell, so that standard error joins the output.
        std::vector<std::string> args{"-c", "exec \"$0\" \"$@\" 2>&1", kTableTool, "--dir", dirName_};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::string out;
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(runProgram("/bin/sh", args, out), c.status) << out;
        if (c.out.size() >= 3 && c.out.compare(c.out.size() - 3, 3, "...") == 0)
            EXPECT_EQ(out.substr(0, c.out.size() - 3), c.out.substr(0, c.out.size() - 3));
        else
            EXPECT_EQ(out, c.out);
    }
}
