// wispel-sites as a user runs it: values that break the sites' rules are refused with what to
// change and leave the table as it was, values written by other programs are printed
// escaped, and a folder without a table or without a name is named as the problem.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "feeds/SitesTable.h"
#include "tablestore/component/StoreTable.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LocalHttpServer.h"

using namespace wispel;
using namespace wispel::test;

namespace {

const std::string kSitesTool = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-sites";
const std::string kFetchTool = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-fetch";
const std::string kUpdateRule =
    "Update must be a number of minutes from 0 to 10080 (a week), or empty for every update; ";

// Runs a tool: its exit status, with its standard output and then its standard error in `out`.
int runTool(const std::string& tool, const std::vector<std::string>& arguments, std::string& out) {
    const ProgramRun run = runCapturing(tool, arguments);
    out = run.out + run.err;
    return run.status;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class WispelSites : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testing::TempDir() + "wispel-sites-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Runs the tool on the test's folder: its exit status, standard output and error in `out`.
    int sites(std::vector<std::string> arguments, std::string& out) const {
        arguments.insert(arguments.begin(), {"--dir", dir_});
        return runTool(kSitesTool, arguments, out);
    }
    std::string tableBytes() const { return readFile(dir_ + "Sites.DAT") + readFile(dir_ + "Sites.IDX"); }

    std::string dir_;
};

}  // namespace

TEST_F(WispelSites, RefusesAValueThatBreaksARuleAndChangesNothing) {
    std::string out;
    ASSERT_EQ(sites({"create"}, out), 0) << out;
    ASSERT_EQ(sites({"add", "Gazette", "http://127.0.0.1:8765/feed.xml", "--update", "60"}, out), 0);
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"add", "A long name", "http://h/"},
         "Name does not fit: the column holds 10 bytes, the value has 11."},
        {{"add", "", "http://h/"}, "The site needs a name."},
        {{"add", "N", "http://h/" + std::string(271, 'a')},
         "URL does not fit: the column holds 250 bytes, the value has 280."},
        {{"add", "N", "http://h/feed HTTP/1.1\r\nHost: forged\r\n\r\nGET /smuggled"},
         "The address holds a blank at byte 14: remove it, or write it as %20."},
        {{"add", "N", "127.0.0.1:8765/feed.xml"},
         "The address '127.0.0.1:8765/feed.xml' does not start with http:// or https://: write "
         "it as 'http://127.0.0.1:8765/feed.xml' (or with https://)."},
        {{"add", "N", "http://h/", "--update", "-1"}, kUpdateRule + "-1 is not."},
        {{"add", "N", "http://h/", "--update", "10081"}, kUpdateRule + "10081 is not."},
        {{"set", "1", "Update=-1"}, kUpdateRule + "-1 is not."},
        {{"set", "1", "Update=2147483647"}, kUpdateRule + "2147483647 is not."},
        {{"set", "1", "URL=file:///etc/shadow"},
         "The address 'file:///etc/shadow' is a 'file' address: only http:// and https:// "
         "addresses can be fetched."},
        {{"set", "1", "Name=a\nb"}, "The name holds a control character (\\n) at byte 2: remove it."},
        {{"set", "1", "Name=Fine", "URL=ftp://h/"},
         "The address 'ftp://h/' is a 'ftp' address: only http:// and https:// addresses can be "
         "fetched."},
    };
    const std::string before = tableBytes();
    for (const auto& c : cases) {
        EXPECT_EQ(sites(c.arguments, out), 1) << c.arguments[1];
        EXPECT_EQ(out, c.message + "\n");
        EXPECT_TRUE(tableBytes() == before) << "the table changed: " << c.message;
    }
    ASSERT_EQ(sites({"add", "Ünïcöde", "https://[::1]:8080/feed", "--update", "10080"}, out), 0) << out;
    ASSERT_EQ(sites({"set", "1", "Update=", "Name=Tribune"}, out), 0) << out;
    ASSERT_EQ(sites({"list", "--tsv"}, out), 0);
    EXPECT_EQ(out,
              "1\tTribune\thttp://127.0.0.1:8765/feed.xml\t\tTrue\n"
              "2\tÜnïcöde\thttps://[::1]:8080/feed\t10080\tTrue\n");
}

TEST_F(WispelSites, ListEscapesControlsAndBrokenTextOfTablesWrittenElsewhere) {
    CreateSitesTableIfMissing(dir_);
    {
        TStoreTable table;
        table.SetDatabaseName(dir_);
        table.SetTableName(kSitesTableName);
        table.Open();
        table.StartInsert();
        table.FieldNamed("Name").SetTextValue("a\tb\nc\x1b");
        table.FieldNamed("URL").SetTextValue("http://h/\x1b]0;title\x07\xff\\");
        table.FieldNamed("Active").SetBooleanValue(true);
        table.PostRow();
    }
    std::string out;
    ASSERT_EQ(sites({"list", "--tsv"}, out), 0);
    EXPECT_EQ(out, "1\ta\\tb\\nc\\x1B\thttp://h/\\x1B]0;title\\x07\\xFF\\\\\t\tTrue\n");
    ASSERT_EQ(sites({"list"}, out), 0);
    EXPECT_NE(out.find("a\\tb\\nc\\x1B"), std::string::npos) << out;
    EXPECT_EQ(out.find('\x1b'), std::string::npos);
}

TEST_F(WispelSites, NamesAMissingTableAndRefusesAnEmptyFolderName) {
    std::string out;
    EXPECT_EQ(sites({"list"}, out), 1);
    EXPECT_EQ(out, "There is no sites table in " + dir_ + ": make one with 'wispel-sites --dir " +
                       dir_ + " create'.\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ + "Sites.DAT"));

    EXPECT_EQ(runTool(kSitesTool, {"--dir", "", "list"}, out), 2);
    EXPECT_EQ(out.rfind("wispel-sites: --dir needs a folder name, not an empty one\n", 0), 0u) << out;
    EXPECT_EQ(runTool(kFetchTool, {"--sites", ""}, out), 2);
    EXPECT_EQ(out.rfind("wispel-fetch: --sites needs a folder name, not an empty one\n", 0), 0u) << out;
}

TEST_F(WispelSites, ExportsAndImportsOpmlAllOrNothing) {
    std::string out;
    ASSERT_EQ(sites({"create"}, out), 0) << out;
    ASSERT_EQ(sites({"add", "Gazette", "http://127.0.0.1:8765/feed.xml"}, out), 0) << out;
    ASSERT_EQ(sites({"add", "A&B", "http://127.0.0.1:8765/?a=1&b=2", "--inactive"}, out), 0) << out;
    ASSERT_EQ(sites({"export"}, out), 0) << out;
    const std::string exported = out;
    EXPECT_NE(exported.find("<outline type=\"rss\" text=\"A&amp;B\" title=\"A&amp;B\" "
                            "xmlUrl=\"http://127.0.0.1:8765/?a=1&amp;b=2\"/>"),
              std::string::npos)
        << exported;
    ASSERT_EQ(sites({"export", dir_ + "list.opml"}, out), 0) << out;
    EXPECT_EQ(out, "");
    EXPECT_EQ(readFile(dir_ + "list.opml").substr(0, 100), exported.substr(0, 100));

    const std::string other = dir_ + "other/";
    std::filesystem::create_directories(other);
    ASSERT_EQ(runTool(kSitesTool, {"--dir", other, "create"}, out), 0) << out;
    ASSERT_EQ(runTool(kSitesTool, {"--dir", other, "import", dir_ + "list.opml"}, out), 0) << out;
    EXPECT_EQ(out,
              "added 1 Gazette http://127.0.0.1:8765/feed.xml\n"
              "added 2 A&B http://127.0.0.1:8765/?a=1&b=2\n"
              "2 sites added, 0 skipped.\n");
    ASSERT_EQ(runTool(kSitesTool, {"--dir", other, "import", dir_ + "list.opml"}, out), 0) << out;
    EXPECT_EQ(out,
              "skipped line 8: http://127.0.0.1:8765/feed.xml is already a site\n"
              "skipped line 9: http://127.0.0.1:8765/?a=1&b=2 is already a site\n"
              "0 sites added, 2 skipped.\n");

    std::ofstream(dir_ + "bad.opml") << "<opml><body>\n<outline xmlUrl=\"http://new/\"/>\n"
                                        "<outline xmlUrl=\"gopher://old/\"/>\n</body></opml>\n";
    const std::string before = tableBytes();
    EXPECT_EQ(sites({"import", dir_ + "bad.opml"}, out), 1);
    EXPECT_EQ(out,
              "The outline on line 3 has the address 'gopher://old/', which cannot be stored: The "
              "address 'gopher://old/' is a 'gopher' address: only http:// and https:// addresses "
              "can be fetched.\n");
    EXPECT_TRUE(tableBytes() == before);

    // A file that cannot be written keeps what was there; a wrong command line is exit 2.
    EXPECT_EQ(sites({"export", dir_ + "no/such/folder.opml"}, out), 1);
    EXPECT_EQ(out, "Cannot write " + dir_ + "no/such/folder.opml: No such file or directory.\n");
    EXPECT_EQ(sites({"import"}, out), 2);
    EXPECT_EQ(sites({"export", "a", "b"}, out), 2);
    EXPECT_EQ(runTool(kSitesTool, {"--dir", dir_ + "none/", "export"}, out), 1);
    EXPECT_EQ(out.rfind("There is no sites table in ", 0), 0u) << out;
}

TEST_F(WispelSites, AddDiscoverTakesTheFirstFeedAPageAnnounces) {
    const std::string files = dir_ + "www/";
    std::filesystem::create_directories(files + "feeds");
    std::ofstream(files + "home.html")
        << "<!DOCTYPE html><html><head><base href=/feeds/>"
           "<link rel=alternate type=application/rss+xml href=main.xml>"
           "<link rel=alternate type=application/atom+xml href=atom.xml>"
           "<link rel=alternate type=application/rss+xml href=http://127.0.0.1:9/c.xml></head></html>";
    std::ofstream(files + "plain.html") << "<!DOCTYPE html><html><head></head></html>";
    std::ofstream(files + "feeds/main.xml") << "<rss version='2.0'><channel/></rss>";
    test::LocalHttpServer server(files);
    std::string out;
    ASSERT_EQ(sites({"create"}, out), 0) << out;

    ASSERT_EQ(sites({"add", "--discover", "Home", server.url("/home.html")}, out), 0) << out;
    EXPECT_EQ(out, server.url("/home.html") + " is a web page: found feed " +
                       server.url("/feeds/main.xml") + " (the first of the 3 it announces), adding it\n1\n");
    ASSERT_EQ(sites({"add", "Feed", server.url("/feeds/main.xml"), "--discover"}, out), 0) << out;
    EXPECT_EQ(out, "2\n");

    const std::string before = tableBytes();
    EXPECT_EQ(sites({"add", "--discover", "Plain", server.url("/plain.html")}, out), 1);
    EXPECT_EQ(out, "The address " + server.url("/plain.html") +
                       " answers with a web page that announces no feed: give the feed's own "
                       "address.\n");
    EXPECT_EQ(sites({"add", "--discover", "Gone", server.url("/status/404")}, out), 1);
    EXPECT_NE(out.find("404"), std::string::npos) << out;
    EXPECT_TRUE(tableBytes() == before);

    ASSERT_EQ(sites({"list", "--tsv"}, out), 0);
    EXPECT_EQ(out, "1\tHome\t" + server.url("/feeds/main.xml") + "\t\tTrue\n2\tFeed\t" +
                       server.url("/feeds/main.xml") + "\t\tTrue\n");
}
