// Subscription lists: OPML 1.0 and 2.0 read into feeds (folders flattened, names from text,
// title or the address), malformed and hostile files refused with their line and nothing
// added, an import that adds only new addresses and says what it skipped, and an export that
// an import into an empty folder reads back as the same sites.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "feeds/OpmlReader.h"
#include "feeds/OpmlWriter.h"
#include "feeds/SitesOpml.h"
#include "feeds/SitesTable.h"
#include "tablestore/component/StoreSession.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/errors/StoreEngineError.h"
#include "tablestore/files/FaultInjectingFileSystem.h"
#include "tests/support/ExpectError.h"
#include "tests/tablestore/sitesfixture/SessionFileSystem.h"
#include "tests/support/TempFolder.h"
#include "tests/feeds/SitesTableFolder.h"

using namespace wispel;
using namespace wispel::test;

namespace {

std::string opml(const std::string& body, const std::string& version = "2.0") {
    return "<?xml version=\"1.0\"?>\n<opml version=\"" + version +
           "\">\n<head><title>t</title></head>\n<body>\n" + body + "</body>\n</opml>\n";
}

// "name|url@line" per feed.
std::string listed(const std::vector<TOpmlFeed>& feeds) {
    std::string text;
    for (const TOpmlFeed& feed : feeds)
        text += feed.Name + "|" + feed.URL + "@" + std::to_string(feed.Line) + " ";
    return text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The sites of a folder's table as "name|url|update|active" in table order.
std::string sitesOf(const std::string& folder) {
    TStoreTable table;
    table.SetDatabaseName(folder);
    table.SetTableName(kSitesTableName);
    table.Open();
    std::string text;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
        text += table.FieldNamed("Name").TextValue() + "|" + table.FieldNamed("URL").TextValue() +
                "|" + table.FieldNamed("Update").TextValue() + "|" +
                table.FieldNamed("Active").TextValue() + " ";
    return text;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string tableBytes(const std::string& folder) {
    return readFile(folder + "Sites.DAT") + readFile(folder + "Sites.IDX");
}

}  // namespace

TEST(OpmlReader, ReadsTheFeedsOfAList) {
    const struct {
        std::string label, document, feeds;
    } cases[] = {
        {"1.0, name from text, else title, else the address",
         opml("<outline text=\"Gazette\" title=\"ignored\" xmlUrl=\"http://g.example/rss\"/>\n"
              "<outline title=\"Tribune\" type=\"rss\" xmlUrl=\"http://t.example/\"/>\n"
              "<outline xmlUrl=\"http://a.example/\"/>\n",
              "1.0"),
         "Gazette|http://g.example/rss@5 Tribune|http://t.example/@6 http://a.e|http://a.example/@7 "},
        {"nested folders flattened in document order",
         opml("<outline text=\"Tech\">\n"
              "  <outline text=\"Deep\">\n"
              "    <outline text=\"A\" xmlUrl=\"http://a/\"/>\n"
              "  </outline>\n"
              "  <outline text=\"B\" xmlUrl=\"http://b/\"><outline text=\"C\" xmlUrl=\"http://c/\"/></outline>\n"
              "</outline>\n<outline text=\"D\" xmlUrl=\"http://d/\"/>\n"),
         "A|http://a/@7 B|http://b/@9 C|http://c/@9 D|http://d/@11 "},
        {"references, blanks and breaks in values; long names cut whole characters",
         opml("<outline text=\" Caf&#233;\n\tNews &amp; more \" xmlUrl=\"\n http://n/?a=1&amp;b=2 \"/>\n"
              "<outline text=\"\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\" xmlUrl=\"http://u/\"/>\n"
              "<outline text=\"&#x1F600;&#x1F600;&#x1F600;\" xmlUrl=\"http://e/\"/>\n"),
         "Caf\xC3\xA9 News|http://n/?a=1&b=2@5 \xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC|http://u/@8 "
         "\xF0\x9F\x98\x80\xF0\x9F\x98\x80|http://e/@9 "},
        {"folders, notes and empty addresses give nothing",
         opml("<outline text=\"folder\"/><outline text=\"link\" type=\"link\" url=\"http://l/\"/>"
              "<outline text=\"empty\" xmlUrl=\"  \"/>\n"),
         ""},
        {"repeats kept for the import to report",
         opml("<outline text=\"A\" xmlUrl=\"http://a/\"/>\n<outline text=\"B\" xmlUrl=\"http://a/\"/>\n"),
         "A|http://a/@5 B|http://a/@6 "},
        {"another encoding, an external DTD passed over unread",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<!DOCTYPE opml SYSTEM \"http://127.0.0.1:9/opml.dtd\">\n"
         "<opml version=\"1.1\"><body><outline text=\"Caf\xE9\" xmlUrl=\"http://c/\"/></body></opml>",
         "Caf\xC3\xA9|http://c/@3 "},
    };
    for (const auto& c : cases) EXPECT_EQ(listed(readOpml(c.document)), c.feeds) << c.label;
}

TEST(OpmlReader, RefusesWhatIsNoListWeCanStoreWithItsLine) {
    std::string deep;
    for (int i = 0; i < kOpmlMaxDepth + 1; ++i) deep += "<outline text=\"f\">\n";
    deep += "<outline text=\"x\" xmlUrl=\"http://x/\"/>";
    for (int i = 0; i < kOpmlMaxDepth + 1; ++i) deep += "</outline>";
    const struct {
        std::string label, document, message;
    } cases[] = {
        {"an end tag that does not match",
         opml("<outline text=\"A\" xmlUrl=\"http://a/\">\n</outlin>\n"),
         "The file is not well-formed XML: line 6, column 1: End-tag without start-tag."},
        {"an unquoted value",
         opml("<outline text=A xmlUrl=\"http://a/\"/>\n"),
         "The file is not well-formed XML: line 5, column 1: Missing quotation marks."},
        {"a feed, not a list", "<rss version=\"2.0\"><channel/></rss>",
         "The file is not OPML: its first element is <rss>, not <opml>."},
        {"no body", "<opml version=\"2.0\"><head/></opml>",
         "The file is not OPML: its <opml> element has no <body>."},
        {"an address that is not http",
         opml("<outline text=\"A\" xmlUrl=\"http://a/\"/>\n<outline text=\"F\" xmlUrl=\"ftp://f/x\"/>\n"),
         "The outline on line 6 has the address 'ftp://f/x', which cannot be stored: The address "
         "'ftp://f/x' is a 'ftp' address: only http:// and https:// addresses can be fetched."},
        {"an address with a blank inside",
         opml("\n\n<outline xmlUrl=\"http://a/b c\"/>\n"),
         "The outline on line 7 has the address 'http://a/b c', which cannot be stored: The "
         "address holds a blank at byte 11: remove it, or write it as %20."},
        {"an address too long for its column, shown cut",
         opml("<outline xmlUrl=\"http://a/" + std::string(300, 'x') + "\"/>\n"),
         "The outline on line 5 has the address 'http://a/" + std::string(111, 'x') +
             "...', which cannot be stored: URL does not fit: the column holds 250 bytes, the "
             "value has 309."},
        {"an entity the file never declared",
         opml("<outline text=\"A &nbsp; B\" xmlUrl=\"http://a/\"/>\n"),
         "The outline on line 5 has a text that cannot be read: Invalid entity reference error."},
        {"folders nested too deep", opml(deep),
         "The outline on line " + std::to_string(5 + kOpmlMaxDepth) + " lies 65 folders deep: at "
         "most 64 are read."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_ERROR(readOpml(c.document), EOpmlError, c.message);
    }
}

TEST(OpmlReader, BoundsHugeAndDenseFiles) {
    EXPECT_ERROR(readOpml(std::string(kOpmlMaxFileSize + 1, ' ')), EOpmlError,
                 "The file is too large for a list of sites: 16777217 bytes, at most 16777216 are "
                 "read.");
    // Far more markup than any list, within the size: refused before memory follows it.
    std::string dense;
    dense.reserve(kOpmlMaxNodes * 4);
    for (std::size_t i = 0; i < kOpmlMaxNodes; ++i) dense += "<i/>";
    const EOpmlError error = raised<EOpmlError>([&] { readOpml(opml(dense)); });
    EXPECT_EQ(error.message().rfind("The file holds too much to be a list of sites: ", 0), 0u)
        << error.message();
    // Nesting far past the bound is refused, not followed by the call stack.
    std::string nested;
    for (int i = 0; i < 100000; ++i) nested += "<outline>";
    for (int i = 0; i < 100000; ++i) nested += "</outline>";
    EXPECT_THROW(readOpml(opml(nested)), EOpmlError);
}

TEST(OpmlWriter, EscapesEveryValueAndDatesTheList) {
    const std::string document =
        writeOpml({{"A & <B> \"q\"", "http://h/?a=1&b=2", 0}, {"tab\there\x01\xFF", "http://i/", 0}},
                  "Mine & yours", 1796956304);
    EXPECT_EQ(document,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<opml version=\"2.0\">\n"
              "  <head>\n"
              "    <title>Mine &amp; yours</title>\n"
              "    <dateCreated>Fri, 11 Dec 2026 02:31:44 GMT</dateCreated>\n"
              "  </head>\n"
              "  <body>\n"
              "    <outline type=\"rss\" text=\"A &amp; &lt;B&gt; &quot;q&quot;\" title=\"A &amp; "
              "&lt;B&gt; &quot;q&quot;\" xmlUrl=\"http://h/?a=1&amp;b=2\"/>\n"
              "    <outline type=\"rss\" text=\"tab&#9;here\xEF\xBF\xBD\xEF\xBF\xBD\" "
              "title=\"tab&#9;here\xEF\xBF\xBD\xEF\xBF\xBD\" xmlUrl=\"http://i/\"/>\n"
              "  </body>\n"
              "</opml>\n");
    EXPECT_EQ(listed(readOpml(document)),
              "A & <B> \"q|http://h/?a=1&b=2@8 tab here|http://i/@9 ");
}

class SitesOpml : public ::testing::Test {
protected:
    void SetUp() override { CreateSitesTableIfMissing(folder_.path()); }
    const std::string& folder() const { return folder_.path(); }
    void addSite(const std::string& name, const std::string& url) { folder_.add(name, url, false); }

    SitesTableFolder folder_{"wispel-opml"};
};

TEST_F(SitesOpml, ExportThenImportIntoAnEmptyFolderGivesTheSameSites) {
    addSite("Gazette", "http://127.0.0.1:8765/feed.xml");
    addSite("A&B <\"c\">", "https://h.example/rss?x=1&y=2");
    addSite("Ünïcöde", "https://[::1]:8080/feed");
    const std::string exported = ExportSitesOpml(folder(), 0);
    EXPECT_NE(exported.find("<dateCreated>Thu, 01 Jan 1970 00:00:00 GMT</dateCreated>"),
              std::string::npos);

    TempFolder other("wispel-opml-empty");
    CreateSitesTableIfMissing(other.path());
    ExportSitesOpmlFile(folder(), other.path() + "list.opml", 0);
    EXPECT_EQ(readFile(other.path() + "list.opml"), exported);
    const TSitesImportReport report = ImportSitesOpml(other.path(), other.path() + "list.opml");
    EXPECT_EQ(report.Added.size(), 3u);
    EXPECT_TRUE(report.Skipped.empty());
    // Names and addresses come back; the new sites are active and fetched at every update.
    EXPECT_EQ(sitesOf(other.path()),
              "Gazette|http://127.0.0.1:8765/feed.xml||True A&B <\"c\">|https://h.example/rss?x=1&y=2||True "
              "Ünïcöde|https://[::1]:8080/feed||True ");
    EXPECT_EQ(ExportSitesOpml(other.path(), 0), exported);
}

TEST_F(SitesOpml, AddsOnlyNewAddressesAndReportsTheRest) {
    addSite("Old", "http://old/");
    writeFile(folder() + "list.opml",
              opml("<outline text=\"Folder\">\n"
                   "  <outline text=\"New\" xmlUrl=\"http://new/\"/>\n"
                   "  <outline text=\"Old again\" xmlUrl=\" http://old/ \"/>\n"
                   "</outline>\n"
                   "<outline text=\"New twice\" xmlUrl=\"http://new/\"/>\n"
                   "<outline text=\"Other\" xmlUrl=\"http://other/\"/>\n"));
    const TSitesImportReport report = ImportSitesOpml(folder(), folder() + "list.opml");
    EXPECT_EQ(importReportLines(report),
              (std::vector<std::string>{"added 2 New http://new/", "added 3 Other http://other/",
                                        "skipped line 7: http://old/ is already a site",
                                        "skipped line 9: http://new/ is on line 6 as well",
                                        "2 sites added, 2 skipped."}));
    EXPECT_EQ(sitesOf(folder()), "Old|http://old/||False New|http://new/||True Other|http://other/||True ");

    // The same list once more: everything is there.
    const TSitesImportReport again = ImportSitesOpml(folder(), folder() + "list.opml");
    EXPECT_TRUE(again.Added.empty());
    EXPECT_EQ(importReportLines(again).back(), "0 sites added, 4 skipped.");
}

TEST_F(SitesOpml, AFileWithAnyFaultAddsNothing) {
    addSite("Old", "http://old/");
    const std::string before = tableBytes(folder());
    const struct {
        std::string label, document;
    } cases[] = {
        {"malformed after good outlines",
         opml("<outline text=\"A\" xmlUrl=\"http://a/\"/>\n<outline text=\"B\" xmlUrl=\"http://b/\">\n")},
        {"a refused address after good outlines",
         opml("<outline text=\"A\" xmlUrl=\"http://a/\"/>\n<outline text=\"B\" xmlUrl=\"javascript:x\"/>\n")},
        {"not a list", "<rss/>"},
        {"empty", ""},
        {"not XML", "\x1F\x8B\x08 packed"},
    };
    for (const auto& c : cases) {
        writeFile(folder() + "bad.opml", c.document);
        EXPECT_THROW(ImportSitesOpml(folder(), folder() + "bad.opml"), EOpmlError) << c.label;
        EXPECT_TRUE(tableBytes(folder()) == before) << c.label;
    }
    EXPECT_ERROR(ImportSitesOpml(folder(), folder() + "missing.opml"), EOpmlError,
                 "Cannot read " + folder() + "missing.opml: No such file or directory.");
    EXPECT_ERROR(ImportSitesOpml(folder(), folder()), EOpmlError,
                 "Cannot read " + folder() + ": it is not a file.");
}

TEST_F(SitesOpml, AWriteThatFailsTakesOutTheRowsWrittenBefore) {
    addSite("Old", "http://old/");
    writeFile(folder() + "list.opml", opml("<outline text=\"A\" xmlUrl=\"http://a/\"/>\n"
                                           "<outline text=\"B\" xmlUrl=\"http://b/\"/>\n"
                                           "<outline text=\"C\" xmlUrl=\"http://c/\"/>\n"));
    const std::string before = sitesOf(folder());
    FaultInjectingFileSystem faulty(posixFileSystem());
    int failures = 0;
    {
        DefaultSessionFileSystem failing(faulty);
        for (int nth = 1; nth < 1000; ++nth) {
            faulty.failWrite(nth, StoreFault::NoSpace);
            try {
                ImportSitesOpml(folder(), folder() + "list.opml");
                break;
            } catch (const EStoreEngineError&) {
                ++failures;
                faulty.failWrite(0, StoreFault::NoSpace);
                ASSERT_EQ(sitesOf(folder()), before) << "write " << nth << " failed";
            }
        }
    }
    EXPECT_GT(failures, 3);  // the rows' writes, not only the first
    // The rows taken out leave slots that later rows fill: the order of the rows may change.
    std::vector<std::string> rows = split(sitesOf(folder()));
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{"A|http://a/||True", "B|http://b/||True",
                                              "C|http://c/||True", "Old|http://old/||False"}));
    TStoreTable table;
    table.SetDatabaseName(folder());
    table.SetTableName(kSitesTableName);
    table.Open();
    EXPECT_EQ(table.CheckFiles(), std::vector<std::string>{});
}

TEST_F(SitesOpml, ImportsTenThousandOutlinesInFolders) {
    std::string body;
    for (int folderNumber = 0; folderNumber < 100; ++folderNumber) {
        body += "<outline text=\"Folder " + std::to_string(folderNumber) + "\">\n";
        for (int i = 0; i < 100; ++i) {
            const std::string n = std::to_string(folderNumber * 100 + i);
            body += "  <outline type=\"rss\" text=\"Feed " + n + "\" xmlUrl=\"http://feeds.example/" +
                    n + ".xml\"/>\n";
        }
        body += "</outline>\n";
    }
    writeFile(folder() + "big.opml", opml(body));
    const TSitesImportReport report = ImportSitesOpml(folder(), folder() + "big.opml");
    ASSERT_EQ(report.Added.size(), 10000u);
    EXPECT_EQ(report.Added.back().Feed.URL, "http://feeds.example/9999.xml");
    EXPECT_EQ(report.Added.back().Feed.Line, 5 + 100 * 102 - 2);
    EXPECT_EQ(report.Added.back().ID, 10000);
    EXPECT_EQ(ImportSitesOpml(folder(), folder() + "big.opml").Skipped.size(), 10000u);
}
