#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "xml/input/XmlMemoryStream.h"

namespace wispel {
namespace {

using testing::decodeAll;
using testing::SourceOver;

struct Position {
    char16_t unit;
    int line;
    int column;
    bool operator==(const Position&) const = default;
};

std::vector<Position> positions(TXmlInputSource& source) {
    std::vector<Position> result;
    char16_t unit;
    while (source.nextChar(unit)) {
        result.push_back({unit, source.locator()->line(), source.locator()->column()});
    }
    return result;
}

TEST(LineBreaks, EachKindBecomesOneLineFeedAndOneLine) {
    SourceOver over(
        "a\r\nb\rc\nd\r\r\n\xF0\x9F\x98\x80"
        "e");
    const std::vector<Position> expected = {
        {u'a', 1, 1}, {u'\n', 1, 2}, {u'b', 2, 1},  {u'\n', 2, 2},  {u'c', 3, 1},   {u'\n', 3, 2},
        {u'd', 4, 1}, {u'\n', 4, 2}, {u'\n', 5, 1}, {0xD83D, 6, 1}, {0xDE00, 6, 2}, {u'e', 6, 3},
    };
    EXPECT_EQ(positions(*over.source), expected);
}

TEST(Locator, StartPositionFollowsRequestsAndMarks) {
    SourceOver over("ab\ncd");
    TdomStandardLocator* locator = over.source->locator();
    char16_t unit;
    over.source->nextChar(unit);  // the first unit after a reset is the start
    EXPECT_EQ(locator->startLine(), 1);
    EXPECT_EQ(locator->startColumn(), 1);
    over.source->nextChar(unit);
    over.source->nextChar(unit);
    over.source->nextChar(unit);
    locator->markStart();
    EXPECT_EQ(locator->startLine(), 2);
    EXPECT_EQ(locator->startColumn(), 1);
    locator->requestStart();
    over.source->nextChar(unit);
    EXPECT_EQ(locator->startColumn(), 2);
    over.source->rewind();
    EXPECT_EQ(locator->line(), 0);
    EXPECT_EQ(locator->column(), 0);
}

// A run taken at once leaves the locator where taking its units one by one does, wherever
// the run starts and ends among the line feeds, and so does the unit after it.
TEST(Locator, ARunCountsAsItsUnitsOneByOne) {
    const std::string text = "ab\n\ncd\nefg \n\n\nh";
    TXmlInputSource::PlainTable plain{};
    for (int byte = 0x20; byte < 0x7F; ++byte) plain[byte] = true;
    plain['\n'] = true;
    for (std::size_t start = 0; start < text.size(); ++start) {
        for (std::size_t count = 1; start + count < text.size(); ++count) {
            SCOPED_TRACE(std::to_string(start) + " " + std::to_string(count));
            SourceOver inRun(text);
            SourceOver byUnit(text);
            char16_t unit;
            for (std::size_t i = 0; i < start; ++i) {
                inRun.source->nextChar(unit);
                byUnit.source->nextChar(unit);
            }
            inRun.source->locator()->requestStart();
            byUnit.source->locator()->requestStart();
            ASSERT_GE(inRun.source->plainRun(plain).size(), count);
            inRun.source->takeRun(count, inRun.source->locator());
            for (std::size_t i = 0; i < count; ++i) byUnit.source->nextChar(unit);
            for (SourceOver* over : {&inRun, &byUnit}) over->source->nextChar(unit);
            const TdomStandardLocator& a = *inRun.source->locator();
            const TdomStandardLocator& b = *byUnit.source->locator();
            EXPECT_EQ(a.line(), b.line());
            EXPECT_EQ(a.column(), b.column());
            EXPECT_EQ(a.startLine(), b.startLine());
            EXPECT_EQ(a.startColumn(), b.startColumn());
        }
    }
}

TEST(Locator, CarriesTheIdsOfItsSource) {
    TMemoryStream stream;
    TXmlInputSource source(&stream, u"-//P//EN", u"feed.xml");
    EXPECT_EQ(source.locator()->publicId(), u"-//P//EN");
    EXPECT_EQ(source.locator()->systemId(), u"feed.xml");
}

TEST(ReadAll, ReturnsTheTextAfterTheDeclarationAndKeepsThePosition) {
    SourceOver over("<?xml version='1.0' encoding='UTF-8'?>\r\n<!ENTITY a 'b'>\xF0\x9F\x98\x80");
    char16_t unit;
    for (int i = 0; i < 3; ++i) over.source->nextChar(unit);
    EXPECT_EQ(over.source->readAll(), u"\n<!ENTITY a 'b'>\xD83D\xDE00");
    ASSERT_TRUE(over.source->nextChar(unit));
    EXPECT_EQ(unit, u'm');
    EXPECT_EQ(over.source->locator()->column(), 4);
}

TEST(ReadAll, RestoresAPendingLowSurrogateAndTheCarriageReturnFlag) {
    SourceOver over("\xF0\x9F\x98\x80\r\nz");
    char16_t unit;
    over.source->nextChar(unit);
    EXPECT_EQ(over.source->readAll(), u"\xD83D\xDE00\nz");
    over.source->nextChar(unit);
    EXPECT_EQ(unit, 0xDE00);
    EXPECT_EQ(decodeAll(*over.source).units, u"\nz");
}

TEST(ReadAll, RestoresThePositionWhenDecodingFails) {
    SourceOver over("ab\x80");
    char16_t unit;
    over.source->nextChar(unit);
    EXPECT_THROW(over.source->readAll(), EConvertError);
    over.source->nextChar(unit);
    EXPECT_EQ(unit, u'b');
}

TEST(SkipTextDeclaration, StepsOverOnlyACompleteDeclaration) {
    struct Case {
        const char* bytes;
        DOMString rest;
    };
    const Case cases[] = {
        {"  <?XmL encoding='x'?>body", u"body"},
        {"<?xml?>body", u"<?xml?>body"},
        {"<?xml a ?x>body", u"<?xml a ?x>body"},
        {"<?xml a", u"<?xml a"},
        {"body", u"body"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        SourceOver over(c.bytes);
        over.source->skipTextDeclaration(over.source->locator());
        EXPECT_EQ(decodeAll(*over.source).units, c.rest);
    }
}

TEST(PrescanRootName, FindsTheRootElementOrNothing) {
    struct Case {
        std::string bytes;
        DOMString root;
    };
    const Case cases[] = {
        {"<rss version='2.0'>", u"rss"},
        {"<?xml version='1.0'?>\n<!-- a <b> -- ---><?pi x?y?><feed/>", u"feed"},
        {"text first <item>", u"item"},
        {"<!DOCTYPE\n  rdf:RDF [<!ENTITY a 'b'>]><rdf:RDF>", u"rdf:RDF"},
        {"<!DOCTYPE html[]>", u"html"},
        {"\xEF\xBB\xBF<channel>", u"channel"},
        {"<!ELEMENT a ANY><a>", u""},
        {"<!DOCTYPEx a><a>", u""},
        {"<1a>", u""},
        {"<a", u""},
        {"<!-- never closed <a>", u""},
        {"", u""},
        {"<r\x80>", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        SourceOver over(c.bytes);
        EXPECT_EQ(over.source->rootName(), c.root);
        char16_t unit;
        if (over.source->nextChar(unit)) {  // the scan leaves the source at the start
            EXPECT_EQ(over.source->locator()->column(), 1);
        }
    }
}

TEST(XmlMemoryStream, ReadsTheCallersBytesWithoutOwningThem) {
    const char bytes[] = "<a/>";
    TXmlMemoryStream stream(bytes, 4);
    EXPECT_EQ(stream.Size(), 4);
    char out[8] = {};
    EXPECT_EQ(stream.Read(out, 8), 4);
    EXPECT_STREQ(out, "<a/>");
    EXPECT_EQ(stream.Read(out, 8), 0);
    stream.Seek(-2, TSeekOrigin::soEnd);
    EXPECT_EQ(stream.Read(out, 1), 1);
    EXPECT_EQ(out[0], '/');
    EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
    EXPECT_THROW(stream.SetSize(1), EStreamError);
    EXPECT_THROW(stream.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    TXmlInputSource source(&stream, u"", u"");
    EXPECT_EQ(decodeAll(source).units, u"<a/>");
    EXPECT_EQ(source.rootName(), u"a");
}

}  // namespace
}  // namespace wispel
