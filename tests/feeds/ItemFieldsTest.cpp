#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "feeds/ItemKey.h"

using namespace wispel;

namespace {

const std::string kData = WISPEL_TEST_DATA "/feeds/fields/";

using Lines = std::vector<std::string>;

// Each item as "key|date|author", the date in RFC 3339 or "-".
Lines fieldsOf(TRSSParser& parser) {
    Lines out;
    for (int i = 0; i < parser.Items().Count(); ++i) {
        const TRSSListedItem& item = *parser.Items()[i];
        out.push_back(item.Key + "|" + (item.Date ? formatIso8601(*item.Date) : "-") + "|" +
                      item.Author);
    }
    return out;
}

void parseBytes(TRSSParser& parser, std::string_view bytes) {
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    parser.ParseRSSStream(&stream);
}

void parseFile(TRSSParser& parser, const std::string& name) {
    TMemoryStream stream;
    stream.LoadFromFile(kData + name);
    parser.ParseRSSStream(&stream);
}

}  // namespace

TEST(ItemFields, IdentityDateAndAuthorOfEachFormat) {
    const struct {
        const char* fixture;
        Lines expected;
    } cases[] = {
        {"rss2.xml",
         {// guid first, pubDate before dc:date, author before dc:creator, all trimmed
          "tag:127.0.0.1,2026:1|2026-12-07T08:00:00Z|ann@127.0.0.1 (Ann)",
          // Dublin Core by its namespace, whatever the prefix
          "http://127.0.0.1/f/2|2026-12-07T08:00:00Z|Bob",
          "http://127.0.0.1/f/3|2026-12-07T08:00:00Z|",
          // a date that does not read is no date; a creator of another namespace no author
          "http://127.0.0.1/f/4|-|",
          // neither guid nor link: the hash of title and description
          "hash:5f9b320eff15b3cd|-|"}},
        {"atom.xml",
         {"urn:uuid:1|2026-12-07T08:00:00Z|Eve", "http://127.0.0.1/a/2|2026-12-07T08:00:00Z|"}},
    };
    TRSSParser parser;
    for (const auto& c : cases) {
        parseFile(parser, c.fixture);
        EXPECT_EQ(fieldsOf(parser), c.expected) << c.fixture;
    }
}

TEST(ItemFields, RdfAndPlainTextItemsHaveKeysToo) {
    TRSSParser parser;
    parseBytes(parser,
               "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#' "
               "xmlns='http://purl.org/rss/1.0/' xmlns:dc='http://purl.org/dc/elements/1.1/'>"
               "<item rdf:about='http://127.0.0.1/r/1'><title>t</title>"
               "<link>http://127.0.0.1/r/1</link><dc:date>2026-12-07T08:00:00Z</dc:date>"
               "<dc:creator>Dee</dc:creator></item></rdf:RDF>");
    EXPECT_EQ(fieldsOf(parser), Lines{"http://127.0.0.1/r/1|2026-12-07T08:00:00Z|Dee"});
    // Records: the link without its line end, else the hash.
    parseBytes(parser, "Title\r\nhttp://127.0.0.1/t\r\nAbout\r\n\nOnly a title\nno link\nat all\n");
    EXPECT_EQ(fieldsOf(parser),
              (Lines{"http://127.0.0.1/t|-|", itemHashKey("Only a title", "at all") + "|-|"}));
}

TEST(ItemFields, TheHashKeyIsFixedAndTellsItsPartsApart) {
    // Known values: they must never change, or stored items would be taken for new ones.
    EXPECT_EQ(itemHashKey("Only a title", "and a description"), "hash:5f9b320eff15b3cd");
    EXPECT_EQ(itemHashKey("", ""), "hash:af64724c8602eb6e");
    EXPECT_NE(itemHashKey("ab", "c"), itemHashKey("a", "bc"));
    EXPECT_NE(itemHashKey("a", ""), itemHashKey("", "a"));
    // The hash is of what the feed wrote, not of the stand-in title an item gets.
    TRSSParser parser;
    parseBytes(parser, "<rss><item><description>Only text</description></item></rss>");
    ASSERT_EQ(parser.Items().Count(), 1);
    EXPECT_EQ(parser.Items()[0]->Title, "Only text");
    EXPECT_EQ(parser.Items()[0]->Key, itemHashKey("", "Only text"));
}
