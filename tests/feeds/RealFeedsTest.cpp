// Feeds as sites publish them: Atom, relative links, HTML's named references, encodings
// beyond the built-in tables, UTF-16 without a byte-order mark, and replies that are no
// text at all.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "tests/feeds/ItemsText.h"

using namespace wispel;

namespace {

using wispel::testing::Items;
using namespace std::string_literals;

const std::string kData = WISPEL_TEST_DATA "/feeds/";

Items itemsOf(TRSSParser& parser) {
    return wispel::testing::itemsText(parser.Items());
}

Items parseBytes(const std::string& bytes, const std::string& baseURL = "") {
    TRSSParser parser;
    parser.SetBaseURL(baseURL);
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    parser.ParseRSSStream(&stream);
    return itemsOf(parser);
}

}  // namespace

TEST(RealFeeds, EachFixtureGivesItsItems) {
    const struct {
        const char* fixture;
        const char* baseURL;  // the address the feed came from; empty for a local file
        Items expected;
        bool xml;  // read as XML rather than by the text fallback
    } cases[] = {
        {"atom.xml",
         "",
         {"Ferry back in service|http://127.0.0.1/herald/news/2026/ferry.html|"
          "The morning ferry runs again.",
          "Storm & surf warning\xE2\x80\xA6|http://127.0.0.1/herald/storm.html?day=7#top|"
          "Waves up to 4\xC2\xA0m.",
          "Caf\xC3\xA9 opens|http://127.0.0.1/elsewhere/cafe|"
          "New caf\xC3\xA9 on the quay. Open at nine.",
          "Tides today|http://127.0.0.1/herald/news/tides|High at six. Low at noon Pier Beach",
          "No link at all||Plain content, \xE2\x80\x9Cquoted\xE2\x80\x9D."},
         true},
        {"html-entities.xml",
         "",
         {"Wait for it\xE2\x80\xA6|http://127.0.0.1/journal/1|It\xE2\x80\x99s here.",
          "10\xC2\xA0km run|/journal/2|\xC2\xA9 the &unknownname; club",
          "Caf\xC3\xA9 & bar|3.html|<p>\xC3\x89t\xC3\xA9</p>"},
         true},
        {"html-entities.xml",
         "http://127.0.0.1/journal/feeds/main.xml",
         {"Wait for it\xE2\x80\xA6|http://127.0.0.1/journal/1|It\xE2\x80\x99s here.",
          "10\xC2\xA0km run|http://127.0.0.1/journal/2|\xC2\xA9 the &unknownname; club",
          "Caf\xC3\xA9 & bar|http://127.0.0.1/journal/feeds/3.html|<p>\xC3\x89t\xC3\xA9</p>"},
         true},
        {"rss-xml-base.xml",
         "",
         {"Relative to the channel's base|http://127.0.0.1/ledger/items/1.html|",
          "Relative to the item's base|https://127.0.0.1/2.html|",
          "Absolute stays|mailto:desk@127.0.0.1|"},
         true},
        {"euc-kr.xml",
         "",
         {"\xED\x95\x9C\xEA\xB5\xAD \xEB\x89\xB4\xEC\x8A\xA4|http://127.0.0.1/euc-kr/1|"
          "\xEC\x98\xA4\xEB\x8A\x98\xEC\x9D\x98 \xEB\x82\xA0\xEC\x94\xA8",
          "\xEC\x84\x9C\xEC\x9A\xB8 \xEC\x86\x8C\xEC\x8B\x9D|http://127.0.0.1/euc-kr/2|"
          "\xEB\xA7\x91\xEC\x9D\x8C"},
         true},
        {"shift_jis.xml",
         "",
         {"\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\xAE\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9|"
          "http://127.0.0.1/shift_jis/"
          "1|\xE4\xBB\x8A\xE6\x97\xA5\xE3\x81\xAE\xE5\xA4\xA9\xE6\xB0\x97",
          "\xE6\x9D\xB1\xE4\xBA\xAC|http://127.0.0.1/shift_jis/2|\xE6\x99\xB4\xE3\x82\x8C"},
         true},
        {"gb2312.xml",
         "",
         {"\xE4\xB8\xAD\xE6\x96\x87\xE6\x96\xB0\xE9\x97\xBB|http://127.0.0.1/gb2312/1|"
          "\xE4\xBB\x8A\xE5\xA4\xA9\xE5\xA4\xA9\xE6\xB0\x94",
          "\xE5\x8C\x97\xE4\xBA\xAC|http://127.0.0.1/gb2312/2|\xE6\x99\xB4\xE5\xA4\xA9"},
         true},
        {"utf16le-no-bom.xml",
         "",
         {"Gr\xC3\xBC\xC3\x9F"
          "e \xE4\xBD\xA0\xE5\xA5\xBD|http://127.0.0.1/utf16/1|"
          "\xF0\x9F\x98\x80 without a mark"},
         true},
        {"utf16be-no-bom.xml",
         "",
         {"Gr\xC3\xBC\xC3\x9F"
          "e \xE4\xBD\xA0\xE5\xA5\xBD|http://127.0.0.1/utf16/1|"
          "\xF0\x9F\x98\x80 without a mark"},
         true},
        {"binary-reply.png", "http://127.0.0.1/image.png", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " " + c.baseURL);
        TRSSParser parser;
        parser.SetBaseURL(c.baseURL);
        TMemoryStream stream;
        stream.LoadFromFile(kData + c.fixture);
        parser.ParseRSSStream(&stream);
        EXPECT_EQ(itemsOf(parser), c.expected);
        EXPECT_EQ(parser.Document() != nullptr, c.xml);
    }
}

TEST(RealFeeds, AtomIsKnownByItsNamespace) {
    const std::string entry = "<entry><title>t</title><link href='l'/></entry>";
    const struct {
        const char* label;
        std::string document;
        Items expected;
    } cases[] = {
        {"prefixed",
         "<a:feed xmlns:a='http://www.w3.org/2005/Atom'><a:entry><a:title>t</a:title>"
         "<a:link href='http://x/l'/><a:summary>s</a:summary><title>not Atom</title>"
         "</a:entry></a:feed>",
         {"t|http://x/l|s"}},
        {"no namespace: RSS walk, which finds no item", "<feed>" + entry + "</feed>", {}},
        {"another namespace", "<feed xmlns='http://127.0.0.1/not-atom'>" + entry + "</feed>", {}},
        {"entries only as children of the feed",
         "<feed xmlns='http://www.w3.org/2005/Atom'><x>" + entry + "</x>" + entry + "</feed>",
         {"t|l|"}},
        {"no alternate link, summary from content, text trimmed",
         "<feed xmlns='http://www.w3.org/2005/Atom'><entry><title>\n  t  \n</title>"
         "<link rel='self' href='s'/><link rel='related'/><content type='text'> c </content>"
         "</entry></feed>",
         {"t||c"}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseBytes(c.document), c.expected) << c.label;
}

TEST(RealFeeds, NamedReferencesOnlyForNamesTheDocumentDoesNotDeclare) {
    // A declared name keeps its own text, also one HTML knows; one whose text cannot be
    // used stays a reference; undeclared HTML names get their characters, in nested texts
    // too.
    EXPECT_EQ(parseBytes("<!DOCTYPE rss [<!ENTITY hellip 'three dots'>"
                         "<!ENTITY nbsp '&#60;b'><!ENTITY mid 'a&middot;b'>]>"
                         "<rss><item><title>&hellip; &nbsp; &mid; &eacute; &Eacute;</title>"
                         "<link>&amp;</link><description>&ecute;</description></item></rss>"),
              (Items{"three dots &nbsp; a\xC2\xB7"
                     "b \xC3\xA9 \xC3\x89|&|&ecute;"}));
    // Names of two characters, and one outside the Basic Multilingual Plane.
    EXPECT_EQ(parseBytes("<rss><item><title>&NotEqualTilde;&Afr;</title></item></rss>"),
              (Items{"\xE2\x89\x82\xCC\xB8\xF0\x9D\x94\x84||"}));
}

TEST(RealFeeds, PlainTextFallbackKeepsOnlyReadableText) {
    const struct {
        const char* label;
        std::string text;
        Items expected;
    } cases[] = {
        {"invalid UTF-8 replaced",
         "Caf\xE9\nhttp://127.0.0.1/c\nd\xFF"
         "esc\n",
         {"Caf\xEF\xBF\xBD|http://127.0.0.1/c|d\xEF\xBF\xBD"
          "esc"}},
        {"control characters dropped, tab kept",
         "abc\x01"
         "def\tg\x7F\nhttp://l\nd\x1B[0m\n",
         {"abcdef\tg|http://l|d[0m"}},
        {"mostly control characters end the record",
         "T\nhttp://l\n\x01\x02\x03x\nA\nB\nC\n",
         {"A||C"}},
        {"NUL bytes: no text after the first",
         "Title\0\0junk\nhttp://l\nD\n"s,
         {"Title|http://l|D"}},
        {"UTF-16 text without a mark is no text",
         "T\0i\0t\0\n\0h\0t\0t\0p\0:\0/\0/\0l\0\n\0D\0\n\0"s,
         {}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseBytes(c.text), c.expected) << c.label;
}
