#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "tests/feeds/ItemsText.h"

using namespace wispel;

namespace {

using wispel::testing::Items;

const std::string kData = WISPEL_TEST_DATA "/feeds/dialects/";

}  // namespace

// One small feed per dialect; each line is "title|link|description", and where the case
// says so the item's full text, date and author follow.
TEST(FeedDialects, EachDialectReadsAsItsWriterMeantIt) {
    const struct {
        const char* fixture;
        Items expected;
        bool withMore;  // add "|full text|date|author"
    } cases[] = {
        {"atom03.xml",
         {"Escaped summary|http://127.0.0.1/atom03/1|Summary & more||2005-07-31T16:29:29Z|Mark",
          "Base64 title|http://127.0.0.1/atom03/2|Decoded & bold||2005-08-01T00:00:00Z|",
          "Inline XHTML|http://127.0.0.1/atom03/3|One Two||-|"},
         true},
        {"atom10-media.xml",
         {"Base64 text|http://127.0.0.1/atom/1|Plain bytes\nin two lines",
          "A picture has no text|http://127.0.0.1/atom/2|",
          "Not Base64 at all|http://127.0.0.1/atom/3?page=1&lang=en|",
          "HTML by media type|http://127.0.0.1/atom/4|XHTML"},
         false},
        {"rss2-guid.xml",
         {"Permalink by default|http://127.0.0.1/guid/1|",
          "Permalink said|https://127.0.0.1/guid/2|", "No permalink||",
          "Not an address||", "Own link first|http://127.0.0.1/link/5|"},
         false},
        {"rss2-titles.xml",
         {"Dublin Core title|http://127.0.0.1/t/1|||-|", "Media title|http://127.0.0.1/t/2|||-|",
          "Own title first||||-|",
          "Full text||Short|<p>The <em>whole</em> story</p>|-|"},
         true},
        {"rss10-prefixed.xml",
         {"First prefixed|http://127.0.0.1/rdf/1|About the first||2026-12-07T08:00:00Z|",
          "Second prefixed|http://127.0.0.1/rdf/2|||-|"},
         true},
        {"rss091-netscape.xml",
         {"Caf\xC3\xA9\xC2\xA0reopens|http://127.0.0.1/old/1|Cr\xC3\xA8me & more\xE2\x80\xA6",
          "Second|http://127.0.0.1/old/2|"},
         false},
    };
    TRSSParser parser;
    for (const auto& c : cases) {
        TMemoryStream stream;
        stream.LoadFromFile(kData + c.fixture);
        parser.ParseRSSStream(&stream);
        EXPECT_NE(parser.Document(), nullptr) << c.fixture << ": read as text";
        Items got = wispel::testing::itemsText(parser.Items());
        for (int i = 0; c.withMore && i < parser.Items().Count(); ++i) {
            const TRSSListedItem& item = *parser.Items()[i];
            got[static_cast<std::size_t>(i)] += "|" + item.Content + "|" +
                                                (item.Date ? formatIso8601(*item.Date) : "-") +
                                                "|" + item.Author;
        }
        EXPECT_EQ(got, c.expected) << c.fixture;
    }
}
