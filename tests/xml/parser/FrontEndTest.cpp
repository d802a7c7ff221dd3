// The entries of the parser front end, their argument errors, and the DOM implementation
// reference.

#include <fstream>

#include "tests/support/ExpectError.h"
#include "tests/xml/parser/ParserTestSupport.h"
#include "xml/input/DocumentBounds.h"

namespace wispel::testing {
namespace {

using FrontEndTest = ParserTest;

TEST_F(FrontEndTest, RefusesMissingArguments) {
    TXmlToDomParser bare;
    TMemoryStream stream;
    const char* impl = "DOMImplementation not specified.";
    EXPECT_ERROR(bare.parseFile("x.xml"), EAccessViolation, impl);
    EXPECT_ERROR(bare.parseStream(&stream), EAccessViolation, impl);
    EXPECT_ERROR(bare.parseMemory("<a/>", 4), EAccessViolation, impl);
    EXPECT_ERROR(bare.parseString("<a/>"), EAccessViolation, impl);
    EXPECT_ERROR(bare.parseWideString(u"<a/>"), EAccessViolation, impl);
    EXPECT_ERROR(parser.parseFile(""), EAccessViolation, "Filename not specified.");
    EXPECT_ERROR(parser.parseStream(nullptr), EAccessViolation, "Stream not specified.");
    EXPECT_ERROR(parser.parseMemory(nullptr, 4), EAccessViolation, "pointer not specified.");
    EXPECT_ERROR(parser.parseString(""), EAccessViolation, "Empty string.");
    EXPECT_ERROR(parser.parseWideString(u""), EAccessViolation, "Empty string.");
}

TEST_F(FrontEndTest, EveryEntryBuildsTheSameDocument) {
    const std::string text = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>";
    TdomDocument* fromString = parser.parseString(text);
    EXPECT_EQ(fromString->documentElement()->firstChild()->nodeValue(), u"caf\u00E9");
    TdomDocument* fromMemory = parser.parseMemory(text.data(), std::int64_t(text.size()));
    EXPECT_EQ(fromMemory->documentElement()->firstChild()->nodeValue(), u"caf\u00E9");
    TdomDocument* fromWide = parser.parseWideString(u"<a>caf\u00E9</a>");
    EXPECT_EQ(fromWide->documentElement()->firstChild()->nodeValue(), u"caf\u00E9");
    // The stream is read from its start whatever its position.
    TMemoryStream stream;
    stream.WriteBuffer("<b/>", 4);
    EXPECT_EQ(parser.parseStream(&stream)->documentElement()->nodeName(), u"b");
    EXPECT_EQ(impl.documents().length(), 4);
}

TEST_F(FrontEndTest, ParsesAFileAndKeepsItsNameAsSystemId) {
    const std::string path = std::string(WISPEL_TEST_DATA) + "/xml/rss2.xml";
    TdomDocument* doc = parser.parseFile(path);
    EXPECT_EQ(doc->systemId(), fromUtf8(path));
    EXPECT_EQ(doc->documentElement()->nodeName(), u"rss");
    EXPECT_THROW(parser.parseFile(path + ".missing"), EStreamError);
}

TEST_F(FrontEndTest, ErrorRecordsAreClearedPerDocumentParse) {
    EXPECT_THROW(parse("<a>"), EParserException);
    EXPECT_THROW(parse("<a></b>"), EParserException);
    ASSERT_EQ(records().size(), 1u);
    const TXmlParserError& record = parser.errorHandler()->errors(0);
    EXPECT_EQ(record.severity(), TdomSeverity::svFatalError);
    EXPECT_EQ(record.startLine(), 1);
    parse("<a/>");
    EXPECT_TRUE(records().empty());
}

TEST_F(FrontEndTest, ForgetsADestroyedImplementation) {
    auto other = std::make_unique<TDomImplementation>();
    parser.setDOMImpl(other.get());
    EXPECT_EQ(parser.DOMImpl(), other.get());
    other.reset();
    EXPECT_EQ(parser.DOMImpl(), nullptr);
    TMemoryStream stream;
    EXPECT_ERROR(parser.parseStream(&stream), EAccessViolation, "DOMImplementation not specified.");
}

TEST_F(FrontEndTest, DocumentsBelongToTheImplementation) {
    TdomDocument* first = parse("<a/>");
    TdomDocument* second = parse("<b/>");
    EXPECT_NE(first, second);
    impl.freeDocument(first);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(impl.documents().length(), 1);
}

TEST_F(FrontEndTest, DocumentsPastTheNodeBoundAreRefusedAndFreed) {
    parser.setMaxNodes(6);
    const struct {
        const char* text;
        bool fits;
    } cases[] = {
        {"<r><a/><b/><c/><d/><e/></r>", true},
        {"<r><a/><b/><c/><d/><e/><f/></r>", false},
        {"<r a='1' b='2'><c/><d/><e/></r>", true},  // attributes count as nodes
        {"<r a='1' b='2' g='3'><c/><d/><e/></r>", false},
        {"<r>x<a/>y<b/>z<c/></r>", false},
        {"<r>x&#65;y&#66;z<![CDATA[c]]><!--c--><?p d?>&e;</r>", true},  // merged text is one
        {"<!DOCTYPE r><r><!--c--><?p d?><a/><b/>&e;</r>", false},
    };
    for (const auto& c : cases) {
        const int before = impl.documents().length();
        if (c.fits) {
            EXPECT_NE(parse(c.text), nullptr) << c.text;
            EXPECT_EQ(impl.documents().length(), before + 1) << c.text;
        } else {
            EXPECT_ERROR(parse(c.text), EParserDocumentTooLarge,
                         "Document with more than 6 nodes.");
            EXPECT_EQ(impl.documents().length(), before) << c.text;
        }
    }
}

TEST_F(FrontEndTest, AnElementHasAtMostItsBoundOfAttributes) {
    auto tag = [](std::size_t attributes) {
        std::string text = "<r";
        for (std::size_t i = 0; i < attributes; ++i) text += " a" + std::to_string(i) + "=''";
        return text + "/>";
    };
    EXPECT_EQ(parse(tag(kMaxElementAttributes))->documentElement()->attributes()->length(),
              static_cast<int>(kMaxElementAttributes));
    EXPECT_ERROR(parse(tag(kMaxElementAttributes + 1)), EParserDocumentTooLarge,
                 "Element with more than 1024 attributes.");
}

}  // namespace
}  // namespace wispel::testing
