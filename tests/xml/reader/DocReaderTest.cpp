#include <gtest/gtest.h>

#include "RecordingHandler.h"
#include "xml/errors/ParserErrors.h"

namespace wispel {
namespace {

using testing::ReaderRun;

struct EventCase {
    const char* label;
    std::string text;
    std::string events;
};

TEST(DocReader, CutsTheTextIntoEvents) {
    const EventCase cases[] = {
        {"tags, text and references", "<a x='1' y=\"2\">t&amp;&#65;<b/></a>",
         "start(a|x=1|y=2) pcdata(t) eref(amp) cref(&#65;) start(b) end(b) end(a)"},
        {"greater-than sign in a quoted value", "<a x='>' y=\"'>\">", "start(a|x=>|y='>)"},
        {"end tag with white space before >", "</a \n>", "end(a)"},
        {"white space after </", "</ a>", "end( a)"},
        {"comment", "<!-- c -- x -->", "comment( c -- x )"},
        {"shortest comment", "<!---->", "comment()"},
        {"CDATA section", "<![CDATA[<x>]]]>", "cdata(<x>])"},
        {"processing instruction", "<?pi  some data ?>", "pi(pi|some data)"},
        {"question mark directly after xml", "<?xml?>", "pi(xml|)"},
        {"xml-prefixed target", "<?xml-stylesheet href='a'?>", "pi(xml-stylesheet|href='a')"},
        {"XML declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
         "xmldecl(1.0|UTF-8|yes)"},
        {"declaration without encoding", "<?xml version='1.0' standalone='no' ?>",
         "xmldecl(1.0||no)"},
        {"public doctype",
         "<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\"\n"
         " \"http://my.netscape.com/publish/formats/rss-0.91.dtd\">",
         "doctype(rss|-//Netscape Communications//DTD RSS 0.91//EN|"
         "http://my.netscape.com/publish/formats/rss-0.91.dtd|)"},
        {"system doctype", "<!DOCTYPE a SYSTEM 'a.dtd' >", "doctype(a||a.dtd|)"},
        {"internal subset with quotes in comments and instructions",
         "<!DOCTYPE a [<!ENTITY x \"y>]\"><!-- ' ] > --><?pi ' ]>?>]><a/>",
         "doctype(a|||<!ENTITY x \"y>]\"><!-- ' ] > --><?pi ' ]>?>) start(a) end(a)"},
        {"unfinished markup at the end", "<a>text<b", "start(a) pcdata(text) pcdata(<b)"},
        {"reference across tags", "<a>&x<b/>\n;</a>", "start(a) eref(x<b/>\n) end(a)"},
        {"reference never closed", "<a>&b</a>", "start(a) pcdata(&b</a>)"},
        {"line breaks", "<a>\r\n\r</a>", "start(a) pcdata(\n\n) end(a)"},
        {"unknown markup is a tag", "<!foo><>", "start(!foo) start()"},
        {"UTF-8 signature before the declaration", "\xEF\xBB\xBF<?xml version='1.0'?><a/>",
         "xmldecl(1.0||) start(a) end(a)"},
        // The reader takes plain text in runs from the decoding buffer of 64 KiB; a line break
        // split by the buffer's edge must still count once.
        {"carriage return and line feed across the buffer edge",
         "<a>" + std::string(65532, 'x') + "\r\ny</a>",
         "start(a) pcdata(" + std::string(65532, 'x') + "\ny) end(a)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ReaderRun run(c.text);
        EXPECT_TRUE(run.parse());
        EXPECT_EQ(run.handler.log, c.events);
        EXPECT_EQ(run.errors.errorCount(), 0);
    }
}

TEST(DocReader, FramesTheEventsWithTheDocument) {
    ReaderRun run("<?xml version='1.0'?><!-- x --><feed>t</feed>");
    run.handler.logDocument = true;
    EXPECT_TRUE(run.parse());
    EXPECT_EQ(run.handler.log,
              "startdoc(feed) xmldecl(1.0||) comment( x ) start(feed) pcdata(t) end(feed) "
              "enddoc");
}

struct ErrorCase {
    const char* label;
    std::string text;
    const char* errorClass;
    const char* message;  // of the exception, checked through a handler that keeps it
    int startLine, startColumn, endLine, endColumn;
};

// Keeps the message of the reported exception besides the record.
class MessageKeepingHandler : public TdomStandardErrorHandler {
public:
    std::string message;
    void fatalError(const void* sender, TdomStandardLocator* locator, const std::exception& error,
                    const DOMString& code) override {
        message = error.what();
        TdomStandardErrorHandler::fatalError(sender, locator, error, code);
    }
};

TEST(DocReader, ReportsEachErrorWithItsPositions) {
    const ErrorCase cases[] = {
        {"space before the declaration", " <?xml version='1.0'?><a/>",
         "EParserInvalidXmlDeclaration_Err", "Character(s) before xml-declaration error.", 1, 2, 1,
         22},
        {"line before the declaration", "\n<?xml version='1.0'?>",
         "EParserInvalidXmlDeclaration_Err", "Character(s) before xml-declaration error.", 2, 1, 2,
         21},
        {"no version", "<?xml encoding='UTF-8'?>", "EParserInvalidXmlDeclaration_Err",
         "Invalid xml-declaration error.", 1, 1, 1, 24},
        {"standalone before encoding", "<?xml version='1.0' standalone='yes' encoding='a'?>",
         "EParserInvalidXmlDeclaration_Err", "Invalid xml-declaration error.", 1, 1, 1, 51},
        {"fourth pseudo-attribute", "<?xml version='1.0' encoding='a' standalone='no' x='1'?>",
         "EParserInvalidXmlDeclaration_Err", "Invalid xml-declaration error.", 1, 1, 1, 56},
        {"unknown pseudo-attribute", "<?xml version='1.0' foo='1'?>",
         "EParserInvalidXmlDeclaration_Err", "Invalid xml-declaration error.", 1, 1, 1, 29},
        {"repeated pseudo-attribute", "<?xml version='1.0' Version='2'?>",
         "EParserDoubleAttributeName_Err", "Double attribute name error.", 1, 1, 1, 33},
        {"attribute without value", "<a>\n  <b x>", "EParserMissingQuotationMark_Err",
         "Missing quotation mark error.", 2, 3, 2, 7},
        {"no white space between attributes", "<a x='1'y='2'/>", "EParserMissingWhiteSpace_Err",
         "Missing white-space error.", 1, 1, 1, 15},
        {"missing equality sign", "<a x '1'>", "EParserMissingEqualitySign_Err",
         "Missing equality sign error.", 1, 1, 1, 9},
        {"double equality sign", "<a x=='1'>", "EParserDoubleEqualitySign_Err",
         "Double equality sign error.", 1, 1, 1, 10},
        {"invalid attribute name", "<a -x='1'>", "EParserInvalidAttributeName_Err",
         "Invalid attribute name error.", 1, 1, 1, 10},
        {"PUBLIC with one literal", "<!DOCTYPE a PUBLIC 'p'><a/>", "EParserInvalidDoctype_Err",
         "Invalid doctype declaration error.", 1, 1, 1, 23},
        {"lower-case keyword", "<!DOCTYPE a system 's'>", "EParserInvalidDoctype_Err",
         "Invalid doctype declaration error.", 1, 1, 1, 23},
        {"no white space after SYSTEM", "<!DOCTYPE a SYSTEM's'>", "EParserInvalidDoctype_Err",
         "Invalid doctype declaration error.", 1, 1, 1, 22},
        {"text after the last literal", "<!DOCTYPE a SYSTEM 's' x>", "EParserInvalidDoctype_Err",
         "Invalid doctype declaration error.", 1, 1, 1, 25},
        {"invalid public-id character", "<!DOCTYPE a PUBLIC 'p{' 's'>", "EParserInvalidDoctype_Err",
         "Invalid doctype declaration error.", 1, 1, 1, 28},
        {"invalid doctype name", "<!DOCTYPE 1a>", "EParserInvalidDoctype_Err",
         "Invalid doctype declaration error.", 1, 1, 1, 13},
        {"text after the subset", "<!DOCTYPE a [ ] x>", "EParserInvalidDoctype_Err",
         "Invalid doctype declaration error.", 1, 1, 1, 18},
        {"control character", "<a>\x01</a>", "EParserInvalidCharacter_Err",
         "Invalid character error.", 1, 1, 1, 4},
        {"control character after a run across the buffer edge",
         "<a>" + std::string(65532, 'x') + "\r\n\t\x01</a>", "EParserInvalidCharacter_Err",
         "Invalid character error.", 1, 4, 2, 2},
        {"control character in a tag", "<a b='1\x02'>", "EParserInvalidCharacter_Err",
         "Invalid character error.", 1, 1, 1, 8},
        {"decoding error", "<a>\n\x80</a>", "EParserInvalidCharacter_Err",
         "Invalid character error.", 1, 4, 1, 4},
        {"truncated UTF-16", std::string("\xFF\xFE<\0a", 5), "EParserInvalidCharacter_Err",
         "Invalid character error.", 1, 1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ReaderRun run(c.text);
        MessageKeepingHandler errors;
        run.reader.setErrorHandler(&errors);
        EXPECT_FALSE(run.parse());
        ASSERT_EQ(errors.errorCount(), 1);
        const TXmlParserError& record = errors.errors(0);
        EXPECT_EQ(record.errorClass(), c.errorClass);
        EXPECT_EQ(errors.message, c.message);
        EXPECT_EQ(record.severity(), TdomSeverity::svFatalError);
        EXPECT_EQ(record.startLine(), c.startLine);
        EXPECT_EQ(record.startColumn(), c.startColumn);
        EXPECT_EQ(record.endLine(), c.endLine);
        EXPECT_EQ(record.endColumn(), c.endColumn);
    }
}

TEST(DocReader, HandlerErrorsOfTheFatalFamilyEndTheParse) {
    ReaderRun run("<a>\n  text</a>");
    run.handler.onPCData = [](const DOMString&) { throw EParserNotInRoot_Err(); };
    EXPECT_FALSE(run.parse());
    ASSERT_EQ(run.errors.errorCount(), 1);
    EXPECT_EQ(run.errors.errors(0).errorClass(), "EParserNotInRoot_Err");
    EXPECT_EQ(run.errors.errors(0).startColumn(), 4);
    EXPECT_EQ(run.errors.errors(0).endLine(), 2);
    EXPECT_EQ(run.errors.errors(0).endColumn(), 7);
}

TEST(DocReader, ConversionErrorsOfTheHandlerBecomeInvalidCharacter) {
    ReaderRun run("<a>x</a>");
    run.handler.onPCData = [](const DOMString&) { throw EConvertError("bad"); };
    EXPECT_FALSE(run.parse());
    ASSERT_EQ(run.errors.errorCount(), 1);
    EXPECT_EQ(run.errors.errors(0).errorClass(), "EParserInvalidCharacter_Err");
}

TEST(DocReader, OtherErrorsPassThroughUnreported) {
    ReaderRun run("<a>x</a>");
    run.handler.onPCData = [](const DOMString&) { throw EParserExternal_Subset_Not_Found_Err(); };
    EXPECT_THROW(run.parse(), EParserExternal_Subset_Not_Found_Err);
    EXPECT_EQ(run.errors.errorCount(), 0);
}

TEST(DocReader, WhatTheErrorHandlerRaisesIsDiscarded) {
    ReaderRun run("<a x>");
    TdomCustomErrorHandler raising;  // its fatalError raises
    run.reader.setErrorHandler(&raising);
    EXPECT_FALSE(run.parse());
    run.reader.setErrorHandler(nullptr);
    EXPECT_FALSE(run.parse());
}

TEST(DocReader, KeepsNothingBetweenParses) {
    ReaderRun run("<a x='unclosed");
    EXPECT_TRUE(run.parse());
    EXPECT_EQ(run.handler.log, "pcdata(<a x='unclosed)");
    TMemoryStream second;
    second.Write("<b/>", 4);
    TXmlInputSource source(&second, u"", u"");
    run.handler.log.clear();
    EXPECT_TRUE(run.reader.parse(nullptr, &source));
    EXPECT_EQ(run.handler.log, "start(b) end(b)");
}

// A handler may start another parse with the same reader from within startElement; the
// tag it was handed stays as it was.
TEST(DocReader, AParseWithinStartElementLeavesTheOuterTagAlone) {
    struct NestingHandler : TdomCustomContentHandler {
        TdomStandardDocXMLReader* reader = nullptr;
        std::string seen;
        void startElement(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                          const DOMString&, const DOMString& name,
                          TdomNameValueList* attributes) override {
            if (name == u"outer") {
                TMemoryStream inner;
                inner.Write("<inner b='2' c='3'/>", 20);
                TXmlInputSource source(&inner, u"", u"");
                reader->parse(nullptr, &source);
            }
            seen += toUtf8(name);
            for (int i = 0; i < attributes->count(); ++i) {
                seen += "|" + toUtf8(attributes->names(i)) + "=" + toUtf8(attributes->values(i));
            }
            seen += " ";
        }
    } handler;
    ReaderRun run("<outer a='1'><next d='4'/></outer>");
    handler.reader = &run.reader;
    run.reader.setContentHandler(&handler);
    EXPECT_TRUE(run.parse());
    EXPECT_EQ(handler.seen, "inner|b=2|c=3 outer|a=1 next|d=4 ");
}

TEST(DocReader, ArbitraryBytesEndInAResultNeverInACrash) {
    // Short inputs drawn from the characters that steer the reader, plus bytes that
    // decoding refuses; the sanitizers watch every index into the piece buffer.
    const std::string alphabet = "<>?!-[]'\"&#;/= xmlDOCTYPEa\r\n\xC3\xA9\x80\xFF\xFE\x01";
    std::uint32_t seed = 12345;
    auto random = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        std::size_t length = random() % 48;
        for (std::size_t j = 0; j < length; ++j) text += alphabet[random() % alphabet.size()];
        ReaderRun run(text);
        bool ok = run.parse();
        EXPECT_EQ(run.errors.errorCount(), ok ? 0 : 1) << text;
    }
}

TEST(DocReader, WithoutAContentHandlerOnlyCuttingErrorsRemain) {
    ReaderRun tags("<a x><b y=='1'>", false);
    EXPECT_TRUE(tags.parse());
    ReaderRun declaration(" <?xml version='1.0'?>", false);
    EXPECT_FALSE(declaration.parse());
    EXPECT_EQ(declaration.errors.errorCount(), 1);
}

}  // namespace
}  // namespace wispel

namespace wispel {
namespace {

// UTF-16LE bytes with a byte-order mark.
std::string utf16le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// A surrogate is no character on its own: not encoded in UTF-8 (CESU-8), and not unpaired
// in a comment, a tag or a processing instruction, where it would otherwise end up as "?".
TEST(DocReader, SurrogatesThatAreNoCharactersAreRefused) {
    const struct {
        const char* label;
        std::string text;
        bool refused;
    } cases[] = {
        {"CESU-8 pair in text", "<a>\xED\xA0\xBD\xED\xB8\x80</a>", true},
        {"CESU-8 pair in an attribute", "<a b='\xED\xA0\xBD\xED\xB8\x80'/>", true},
        {"UTF-8 of the same character", "<a b='\xF0\x9F\x98\x80'>\xF0\x9F\x98\x80</a>", false},
        {"unpaired high surrogate in a comment", utf16le(u"<a><!-- x\xD83D y --></a>"), true},
        {"unpaired low surrogate in an attribute", utf16le(u"<a b='\xDE00'/>"), true},
        {"swapped pair in a start tag", utf16le(u"<a b='\xDE00\xD83D'></a>"), true},
        {"unpaired surrogate in an instruction", utf16le(u"<a><?pi \xD83D?></a>"), true},
        {"pairs in a comment and an attribute", utf16le(u"<a b='\xD83D\xDE00'><!--\xD83D\xDE00--></a>"),
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ReaderRun run(c.text);
        EXPECT_EQ(run.parse(), !c.refused);
        if (!c.refused) continue;
        ASSERT_EQ(run.errors.errorCount(), 1);
        EXPECT_EQ(run.errors.errors(0).errorClass(), "EParserInvalidCharacter_Err");
    }
}

}  // namespace
}  // namespace wispel
