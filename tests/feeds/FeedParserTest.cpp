#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "feeds/TextReader.h"
#include "tests/feeds/ItemsText.h"
#include "tests/support/ExpectError.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/errors/ParserErrors.h"
#include "xml/parser/XmlToDomParser.h"

using namespace wispel;

namespace {

using wispel::testing::Items;

const std::string kData = WISPEL_TEST_DATA "/feeds/";

Items itemsOf(TRSSParser& parser) {
    return wispel::testing::itemsText(parser.Items());
}

void load(TMemoryStream& stream, std::string_view bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

Items parseText(TRSSParser& parser, std::string_view bytes) {
    TMemoryStream stream;
    load(stream, bytes);
    parser.ParseRSSStream(&stream);
    return itemsOf(parser);
}

Items parseFixture(TRSSParser& parser, const std::string& name) {
    TMemoryStream stream;
    stream.LoadFromFile(kData + name);
    parser.ParseRSSStream(&stream);  // the stream's position (at its end) does not matter
    return itemsOf(parser);
}

}  // namespace

TEST(TRSSParser, ReadsTheCommonLayouts) {
    const struct {
        const char* fixture;
        Items expected;
    } cases[] = {
        {"rss091.xml",
         {"Ferry timetable changes|http://127.0.0.1/gazette/ferry|Caf\xC3\xA9 opening hours "
          "change too.",
          "Lighthouse repainted|http://127.0.0.1/gazette/lighthouse|Red and white again."}},
        {"rss2.xml",
         {"Tom & Jerry|http://127.0.0.1/courier/1?a=1&b=2|<p>Cat & mouse</p>",
          "Tom & Jerry \xE2\x80\x94 again|http://127.0.0.1/courier/2|<b>Bold</b> & raw",
          "No description|http://127.0.0.1/courier/3|",
          // TITLE is no field, but dc:title stands in for the missing title; whitespace
          // and nested markup's text stay
          "Dublin Core title stands in|http://127.0.0.1/courier/5|Line one\nline two and "
          "markup."}},
        {"rdf.xml",
         {"Snow on the pass|http://127.0.0.1/tribune/a|",
          "Road reopened|http://127.0.0.1/tribune/b|"}},
    };
    TRSSParser parser;
    for (const auto& c : cases) {
        EXPECT_EQ(parseFixture(parser, c.fixture), c.expected) << c.fixture;
        EXPECT_NE(parser.Document(), nullptr) << c.fixture;
    }
}

TEST(TRSSParser, EmptyOrMissingFieldsNeverCostOtherItems) {
    TRSSParser parser;
    EXPECT_EQ(parseFixture(parser, "missing-fields.xml"),
              (Items{"(untitled)||", "After an empty item|http://127.0.0.1/g/2|two",
                     "three|http://127.0.0.1/g/3|three", "Four||four", "Five|http://127.0.0.1/g/5|",
                     "Six|http://127.0.0.1/g/6|&", "(untitled)||", "Eight||"}));
}

TEST(TRSSParser, FieldsReadOnlyTheirFirstThreeVisibleChildren) {
    TRSSParser parser;
    // A repeated field overwrites; a fourth visible child is never read.
    EXPECT_EQ(parseText(parser,
                        "<rss><item><title>a</title><title>b</title><link>l</link>"
                        "<description>d</description></item><item><title>next</title>"
                        "</item></rss>"),
              (Items{"b|l|", "next||"}));
}

TEST(TRSSParser, ExpandsEntitiesOfTheDocumentsDtd) {
    TRSSParser parser;
    EXPECT_EQ(parseFixture(parser, "entities.xml"),
              (Items{"News from Acme \xC2\xA9 Ltd|http://127.0.0.1/e/1|bold text, "
                     "&undeclared; and <>'\""}));
}

TEST(TRSSParser, EntitiesThatMultiplyIntoNothingEndTheWalk) {
    std::string dtd = "<!DOCTYPE rss [<!ENTITY e0 \"\">";
    for (int level = 1; level <= 12; ++level) {
        dtd += "<!ENTITY e" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) dtd += "&e" + std::to_string(level - 1) + ";";
        dtd += "\">";
    }
    TRSSParser parser;
    EXPECT_EQ(parseText(parser, dtd + "]><rss><item><title>x&e12;y</title><link>l&e1;</link>"
                                      "<description>&lt;p&gt;</description></item></rss>"),
              (Items{"xy|l&e1;|<p>"}));
}

TEST(TRSSParser, FallsBackToTextWhenTheXmlIsNotUsable) {
    TRSSParser parser;
    // Not well-formed.
    EXPECT_EQ(parseFixture(parser, "page.html"),
              (Items{"<html>||<body>", "First headline|http://127.0.0.1/page/1|About the first",
                     "Second headline|http://127.0.0.1/page/2|About the second"}));
    EXPECT_EQ(parser.Document(), nullptr);
    // An external DTD is passed over, never fetched: the feed reads as XML.
    EXPECT_EQ(parseFixture(parser, "external-dtd.xml"),
              Items{"Behind an external DTD|http://127.0.0.1/x/1|Read as text"});
    EXPECT_NE(parser.Document(), nullptr);
    // Plain records, and an empty stream.
    EXPECT_EQ(parseFixture(parser, "records.txt"),
              (Items{"Plain title one|http://127.0.0.1/plain/1|Plain description one",
                     "Plain title two|http://127.0.0.1/plain/2|Plain description two"}));
    EXPECT_EQ(parseText(parser, ""), Items{});
}

TEST(TRSSParser, WellFormedDocumentsWithoutItemsGiveNone) {
    TRSSParser parser;
    const char* documents[] = {
        // The walk starts at the document's last child, here the comment.
        "<rss><channel><item><title>t</title></item></channel></rss><!-- end -->",
        "<rss><channel><image><item><title>in an image</title></item></image></channel></rss>",
        "<rss><Item><title>t</title></Item><p:item><title>t</title></p:item></rss>",
        "<title>a field element as root</title>",
        "<rss><channel><title>t</title><link>l</link></channel></rss>",
    };
    for (const char* document : documents) {
        EXPECT_EQ(parseText(parser, document), Items{}) << document;
        EXPECT_NE(parser.Document(), nullptr) << document;
    }
}

TEST(TRSSParser, ItemsAfterOtherBlocksAndInOtherChannels) {
    TRSSParser parser;
    EXPECT_EQ(parseText(parser,
                        "<rss><channel><item><title>1</title></item><textinput><title>s"
                        "</title></textinput></channel><channel><item><title>2</title></item>"
                        "</channel></rss>"),
              (Items{"1||", "2||"}));
}

TEST(TRSSParser, ArgumentChecks) {
    TRSSParser parser;
    const struct {
        const char* message;
        void (*call)(TRSSParser&);
    } cases[] = {
        {"Cannot parse a nil stream", [](TRSSParser& p) { p.ParseRSSStream(nullptr); }},
        {"Cannot parse a nil stream", [](TRSSParser& p) { p.ParseRSSText(nullptr); }},
        {"Must have a valid filename", [](TRSSParser& p) { p.ParseRSSFile(""); }},
    };
    for (const auto& c : cases) {
        try {
            c.call(parser);
            ADD_FAILURE() << c.message;
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
}

TEST(TRSSParser, ParseRSSFileHasNoTextFallback) {
    TRSSParser parser;
    parser.ParseRSSFile(kData + "rdf.xml");
    EXPECT_EQ(parser.Items().Count(), 2);
    EXPECT_ANY_THROW(parser.ParseRSSFile(kData + "page.html"));
    EXPECT_ANY_THROW(parser.ParseRSSFile(kData + "no-such-file.xml"));
}

namespace {

// A stream whose first read fails as memory running out would: later reads succeed.
class FailingOnceStream : public TMemoryStream {
public:
    std::int64_t Read(void* buffer, std::int64_t count) override {
        if (!failed_) {
            failed_ = true;
            throw std::bad_alloc();
        }
        return TMemoryStream::Read(buffer, count);
    }

private:
    bool failed_ = false;
};

}  // namespace

TEST(TRSSParser, OnlyErrorsOfTheXmlFallBackToText) {
    // Plain-text records, so that a fallback would show as items.
    const std::string records = "Title\nhttp://127.0.0.1/a\nAbout\n";
    TRSSParser parser;
    FailingOnceStream failing;
    load(failing, records);
    EXPECT_THROW(parser.ParseRSSStream(&failing), std::bad_alloc);
    EXPECT_EQ(parser.Items().Count(), 0);

    // A document past a bound says so instead of turning into records.
    parser.XmlParser()->setMaxNodes(4);
    TMemoryStream stream;
    load(stream, "<rss><item><title>a</title><link>b</link></item></rss>");
    EXPECT_ERROR(parser.ParseRSSStream(&stream), EParserDocumentTooLarge,
                 "Document with more than 4 nodes.");
    EXPECT_EQ(parser.Document(), nullptr);
    EXPECT_EQ(parser.DomImplementation()->documents().length(), 0);
    // Within the bound, and for text that is no XML, all stays as it was.
    EXPECT_EQ(parseText(parser, "<rss><item><title>a</title></item></rss>"), Items{"a||"});
    EXPECT_EQ(parseText(parser, records), Items{"Title|http://127.0.0.1/a|About"});
}

TEST(TRSSParser, KeepsOnlyTheDocumentOfItsLastParse) {
    TRSSParser parser;
    parser.ParseRSSFile(kData + "rdf.xml");
    parseFixture(parser, "rss091.xml");
    parser.ParseRSSFile(kData + "rdf.xml");
    EXPECT_EQ(parser.DomImplementation()->documents().length(), 1);
    EXPECT_EQ(parser.DomImplementation()->documents().item(0),
              static_cast<TdomNode*>(parser.Document()));
    parseFixture(parser, "page.html");
    EXPECT_EQ(parser.DomImplementation()->documents().length(), 0);
}

TEST(TRSSParser, ItemsAlwaysSaySomething) {
    const std::string longText =
        "Ferries run again after the storm, and the harbour master expects the full timetable "
        "by Monday";
    const struct {
        const char* item;  // the content of one item element
        const char* expected;
    } cases[] = {
        // HTML in a title, escaped or in CDATA, shows as its text; a lone "&" or "<" is text.
        {"<title> &lt;b&gt;Bold&lt;/b&gt; news &amp;amp; more </title>", "Bold news & more||"},
        {"<title><![CDATA[<i>Slanted</i>&#8217;s]]></title>", "Slanted\xE2\x80\x99s||"},
        {"<title> Tom &amp; Jerry &lt; 3 </title>", " Tom & Jerry < 3 ||"},
        // No title: the start of the description's text, else the link, else a word.
        {"<description>&lt;p&gt;Short\n\t story&lt;/p&gt;</description>",
         "Short story||<p>Short\n\t story</p>"},
        {"<title> </title><link> http://127.0.0.1/a </link>", "http://127.0.0.1/a|http://127.0.0.1/a|"},
        {"<title/><description> </description>", "(untitled)|| "},
        {"", "(untitled)||"},
    };
    TRSSParser parser;
    for (const auto& c : cases) {
        EXPECT_EQ(parseText(parser, std::string("<rss><item>") + c.item + "</item></rss>"),
                  Items{c.expected})
            << c.item;
    }
    // A long description is cut after a word.
    EXPECT_EQ(parseText(parser, "<rss><item><description>" + longText +
                                    "</description></item></rss>"),
              Items{"Ferries run again after the storm, and the harbour master expects the "
                    "full\xE2\x80\xA6||" +
                    longText});
    // Atom entries and plain-text records get the same.
    EXPECT_EQ(parseText(parser, "<feed xmlns='http://www.w3.org/2005/Atom'><entry><link "
                                "href=' http://127.0.0.1/e '/></entry></feed>"),
              Items{"http://127.0.0.1/e|http://127.0.0.1/e|"});
    EXPECT_EQ(parseText(parser, "\r\nhttp://127.0.0.1/t\r\nAbout\r\n"),
              Items{"About|http://127.0.0.1/t\r|About\r"});
}
