// The wispel-fetch tool end to end: a real local HTTP server with the fixture feeds, the
// tool run as its own process, its complete output checked.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "feeds/ItemsTable.h"
#include "feeds/SitesTable.h"
#include "http/NetHTTP.h"
#include "tablestore/component/StoreTable.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/feeds/SitesTableFolder.h"

namespace {

const std::string kFeeds = WISPEL_TEST_DATA "/feeds";
const std::string kTool = WISPEL_BINARY_DIR "/bin/wispel-fetch";

struct ToolRun {
    std::string out, err;
    int status = -1;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// `output`, when given, takes standard output instead of the file read back.
ToolRun runTool(const std::vector<std::string>& args, const std::string& output = "") {
    // Tests may run in parallel processes: each run gets files of its own.
    const std::string dir = testing::TempDir() + "wispel-fetch-" + std::to_string(::getpid()) +
                            "-" + testing::UnitTest::GetInstance()->current_test_info()->name() +
                            "-";
    std::string command = quoted(kTool);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " >" + quoted(output.empty() ? dir + "fetch.out" : output) + " 2>" +
               quoted(dir + "fetch.err");
    const int status = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(dir + "fetch.out");
    run.err = readFile(dir + "fetch.err");
    std::remove((dir + "fetch.out").c_str());
    std::remove((dir + "fetch.err").c_str());
    return run;
}

}  // namespace

TEST(WispelFetch, PrintsTheNewsTreeOfEveryFeed) {
    wispel::test::LocalHttpServer server(kFeeds);
    const ToolRun run = runTool({"Gazette=" + server.url("/rss091.xml"), server.url("/rdf.xml?a=b"),
                                 "Courier=" + server.url("/chunked/rss2.xml")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "Wispel\n"
              "  Gazette\n"
              "    Ferry timetable changes\thttp://127.0.0.1/gazette/ferry\n"
              "    Lighthouse repainted\thttp://127.0.0.1/gazette/lighthouse\n"
              "  " +
                  server.url("/rdf.xml?a=b") +
                  "\n"
                  "    Snow on the pass\thttp://127.0.0.1/tribune/a\n"
                  "    Road reopened\thttp://127.0.0.1/tribune/b\n"
                  "  Courier\n"
                  "    Tom & Jerry\thttp://127.0.0.1/courier/1?a=1&b=2\n"
                  "    Tom & Jerry \xE2\x80\x94 again\thttp://127.0.0.1/courier/2\n"
                  "    No description\thttp://127.0.0.1/courier/3\n"
                  "    Dublin Core title stands in\thttp://127.0.0.1/courier/5\n");
}

// A site whose address answers with a web page fails, instead of showing the page's lines.
TEST(WispelFetch, AWebPageIsNoFeed) {
    wispel::test::LocalHttpServer server(kFeeds);
    const ToolRun run = runTool({"Page=" + server.url("/close/page.html")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Wispel\n");
    EXPECT_EQ(run.err, "Page (" + server.url("/close/page.html") +
                           "): not a feed: the address answers with a web page.\n");
}

TEST(WispelFetch, TabSeparatedItemsWithEscapedTexts) {
    wispel::test::LocalHttpServer server(kFeeds);
    const ToolRun run = runTool({"--tsv", "Courier=" + server.url("/rss2.xml")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Courier\tTom & Jerry\thttp://127.0.0.1/courier/1?a=1&b=2\t<p>Cat & mouse</p>\n"
              "Courier\tTom & Jerry \xE2\x80\x94 again\thttp://127.0.0.1/courier/2\t"
              "<b>Bold</b> & raw\n"
              "Courier\tNo description\thttp://127.0.0.1/courier/3\t\n"
              "Courier\tDublin Core title stands in\thttp://127.0.0.1/courier/5\t"
              "Line one\\nline two and markup.\n");
}

TEST(WispelFetch, AFailingSiteIsNamedAndTheOthersGoOn) {
    wispel::test::LocalHttpServer server(kFeeds);
    for (const char* jobs : {"1", "6"}) {
        const ToolRun run = runTool({"--jobs", jobs, "Tribune=" + server.url("/rdf.xml?a=b"),
                                     "Missing=" + server.url("/status/404"),
                                     "Gazette=" + server.url("/rss091.xml")});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out,
                  "Wispel\n"
                  "  Tribune\n"
                  "    Snow on the pass\thttp://127.0.0.1/tribune/a\n"
                  "    Road reopened\thttp://127.0.0.1/tribune/b\n"
                  "  Gazette\n"
                  "    Ferry timetable changes\thttp://127.0.0.1/gazette/ferry\n"
                  "    Lighthouse repainted\thttp://127.0.0.1/gazette/lighthouse\n");
        // The error box appends the full stop.
        EXPECT_EQ(run.err, "Missing (" + server.url("/status/404") + "): 404 Not Found.\n");
    }
    for (const char* bad : {"0", "65", "x", ""}) {
        EXPECT_EQ(runTool({"--jobs", bad, server.url("/rss091.xml")}).status, 2) << bad;
    }
}

TEST(WispelFetch, ReadsLocalFilesWithTheTextFallback) {
    const ToolRun run = runTool({"--file", kFeeds + "/records.txt", kFeeds + "/rdf.xml"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Wispel\n"
              "  records.txt\n"
              "    Plain title one\thttp://127.0.0.1/plain/1\n"
              "    Plain title two\thttp://127.0.0.1/plain/2\n"
              "  rdf.xml\n"
              "    Snow on the pass\thttp://127.0.0.1/tribune/a\n"
              "    Road reopened\thttp://127.0.0.1/tribune/b\n");

    const ToolRun missing = runTool({"--file", kFeeds + "/no-such-feed.xml"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "Wispel\n");
    const std::string path = kFeeds + "/no-such-feed.xml";
    EXPECT_EQ(missing.err.rfind("no-such-feed.xml (" + path + "): Cannot open file \"" + path + "\". ", 0),
              0u)
        << missing.err;
    EXPECT_TRUE(missing.err.ends_with(".\n"));
}

TEST(WispelFetch, ALocalFileIsNoLargerThanAReplyBody) {
    // Sparse: the size is refused before a byte is read.
    const std::string path = testing::TempDir() + "wispel-fetch-large-" +
                             std::to_string(::getpid()) + ".xml";
    { std::ofstream(path, std::ios::binary) << "<rss/>"; }
    std::filesystem::resize_file(path, wispel::kDefaultMaxBodySize + 1);
    const ToolRun run = runTool({"--file", path, kFeeds + "/rdf.xml"});
    std::filesystem::remove(path);
    EXPECT_EQ(run.status, 1);
    // The file fails alone: the feed after it is read.
    EXPECT_EQ(run.out,
              "Wispel\n  rdf.xml\n    Snow on the pass\thttp://127.0.0.1/tribune/a\n"
              "    Road reopened\thttp://127.0.0.1/tribune/b\n");
    const std::string name = path.substr(path.rfind('/') + 1);
    EXPECT_EQ(run.err, name + " (" + path + "): File " + path + " is larger than 67108864 bytes.\n");
}

TEST(WispelFetch, ReadsFeedsOverHttpsAndSaysWhyACertificateFails) {
    char pattern[] = "/tmp/wispel-fetch-tls-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    wispel::test::TestCertificates certificates(folder);
    ::setenv("SSL_CERT_FILE", certificates.ca.c_str(), 1);  // the tool inherits it
    wispel::test::LocalHttpServer good(kFeeds, certificates.good);
    wispel::test::LocalHttpServer wrongHost(kFeeds, certificates.wrongHost);
    const ToolRun run = runTool({"--tsv", "Courier=" + good.url("/rss2.xml")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Courier\tTom & Jerry\thttp://127.0.0.1/courier/1?a=1&b=2"),
              std::string::npos)
        << run.out;
    const ToolRun failed = runTool({"--tsv", "Courier=" + wrongHost.url("/rss2.xml")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_NE(failed.err.find("certificate does not match host '127.0.0.1'"), std::string::npos)
        << failed.err;
    std::filesystem::remove_all(folder);
}

TEST(WispelFetch, EveryXmlFileOfTheTestDataReadsWithoutACrash) {
    // Every fixture of every suite, feeds or not, well-formed or broken, in one run.
    std::vector<std::string> args = {"--tsv", "--file"};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(WISPEL_TEST_DATA)) {
        if (entry.is_regular_file() && entry.path().extension() == ".xml") {
            args.push_back(entry.path().string());
        }
    }
    ASSERT_GT(args.size(), 20u);
    const ToolRun run = runTool(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
}

TEST(WispelFetch, RelativeLinksResolveAgainstTheAddressTheFeedCameFrom) {
    // Two redirects, the last one relative: the links resolve against the final address.
    wispel::test::LocalHttpServer server(kFeeds);
    const ToolRun run = runTool({"--tsv", "J=" + server.url("/redirect/2/html-entities.xml")});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string root = server.url("/");
    EXPECT_NE(run.out.find("\thttp://127.0.0.1/journal/1\t"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\t" + root + "journal/2\t"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\t" + root + "3.html\t"), std::string::npos) << run.out;
    // A local file has no address: its links stay as written.
    const ToolRun local = runTool({"--tsv", "--file", kFeeds + "/html-entities.xml"});
    EXPECT_NE(local.out.find("\t/journal/2\t"), std::string::npos) << local.out;
    EXPECT_NE(local.out.find("\t3.html\t"), std::string::npos) << local.out;
}

// A feed cannot drive the terminal: every control character in its texts is escaped, in the
// tree and in the tab-separated lines.
TEST(WispelFetch, EscapesEveryControlCharacter) {
    const std::string file = kFeeds + "/controls.xml";
    const ToolRun tree = runTool({"--file", file});
    EXPECT_EQ(tree.status, 0);
    EXPECT_EQ(tree.out,
              "Wispel\n"
              "  controls.xml\n"
              "    CSI \\u009B31m red\\x7F and \\u0085next\thttp://127.0.0.1/c/1\\x7F\n");
    const ToolRun tsv = runTool({"--tsv", "--file", file});
    EXPECT_EQ(tsv.out,
              "controls.xml\tCSI \\u009B31m red\\x7F and \\u0085next\thttp://127.0.0.1/c/1\\x7F\t"
              "del\\x7F\n");
}

TEST(WispelFetch, WriteErrorsAndTimeLimits) {
    const ToolRun full = runTool({"--file", kFeeds + "/records.txt"}, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err.rfind("Cannot write to standard output", 0), 0u) << full.err;
    EXPECT_EQ(runTool({"--max-time", "soon", "--file", kFeeds + "/records.txt"}).status, 2);
    const ToolRun timed = runTool({"--max-time", "30", "--file", kFeeds + "/records.txt"});
    EXPECT_EQ(timed.status, 0);
}

TEST(WispelFetch, ReadsTheActiveSitesOfASitesTable) {
    wispel::test::LocalHttpServer server(kFeeds);
    wispel::test::SitesTableFolder folder{"wispel-fetch-sites"};
    folder.add("Gazette", server.url("/rss091.xml"), true);
    folder.add("Off", server.url("/rss2.xml"), false);
    folder.add("Tribune", server.url("/rdf.xml"), true);
    const ToolRun run = runTool({"--sites", folder.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "Wispel\n"
              "  Gazette\n"
              "    Ferry timetable changes\thttp://127.0.0.1/gazette/ferry\n"
              "    Lighthouse repainted\thttp://127.0.0.1/gazette/lighthouse\n"
              "  Tribune\n"
              "    Snow on the pass\thttp://127.0.0.1/tribune/a\n"
              "    Road reopened\thttp://127.0.0.1/tribune/b\n");
}

TEST(WispelFetch, AFolderWithoutASitesTableGetsAnEmptyOne) {
    wispel::test::SitesTableFolder folder{"wispel-fetch-sites"};
    const ToolRun run = runTool({"--sites", folder.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Wispel\n");
    EXPECT_EQ(run.err, "No active sites in " + folder.path() +
                           "Sites.DAT: add one with wispel-sites add NAME URL\n");
    EXPECT_TRUE(std::filesystem::exists(folder.path() + "Sites.DAT"));

    const ToolRun missing = runTool({"--sites", folder.path() + "no/such/folder"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("Table Engine Error # ", 0), 0u) << missing.err;
}

TEST(WispelFetch, KeepsTheSitesNewsAndReadsThemAsATerminalNewsReader) {
    wispel::test::LocalHttpServer server(kFeeds);
    wispel::test::SitesTableFolder folder{"wispel-fetch-sites"};
    folder.add("Gazette", server.url("/rss091.xml"), true);
    const std::string gazette =
        "  Gazette\n"
        "    Ferry timetable changes\thttp://127.0.0.1/gazette/ferry\n"
        "    Lighthouse repainted\thttp://127.0.0.1/gazette/lighthouse\n";
    // Unread, printed, and then marked as read: the next unread run shows the site alone.
    const ToolRun first = runTool({"--unread", "--mark-read", "--sites", folder.path()});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "Wispel\n" + gazette);
    EXPECT_EQ(runTool({"--unread", "--sites", folder.path()}).out, "Wispel\n  Gazette\n");
    // Kept: every item once, however often the feed is merged.
    EXPECT_EQ(runTool({"--sites", folder.path()}).out, "Wispel\n" + gazette);
    EXPECT_TRUE(std::filesystem::exists(folder.path() + "Items.DAT"));
    // Deleting the site deletes its news.
    const std::string sitesTool = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-sites";
    EXPECT_EQ(wispel::test::runCapturing(sitesTool, {"--dir", folder.path(), "delete", "1"}).status, 0);
    int kept = 0;
    wispel::TItemsTable(folder.path()).ForEachItem([&](const wispel::TStoredItem&) { ++kept; });
    EXPECT_EQ(kept, 0);

    const ToolRun alone = runTool({"--unread", "--file", kFeeds + "/records.txt"});
    EXPECT_EQ(alone.status, 2);
    EXPECT_NE(alone.err.find("--unread and --mark-read go with --sites"), std::string::npos) << alone.err;
}
