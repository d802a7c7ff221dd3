#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/MemoryStream.h"
#include "tests/support/ExpectError.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/XmlInputSource.h"
#include "xml/reader/ErrorHandler.h"

namespace wispel {
namespace {

struct MessageCase {
    std::shared_ptr<const Exception> error;
    int startLine, startColumn, endLine, endColumn;
    DOMString publicId, systemId, code;
    TdomLanguage language;
    std::string expected;
};

TEST(XmlParserError, MessagesJoinSeverityDocumentPositionAndDescription) {
    const auto en = TdomLanguage::langEnglish;
    const MessageCase cases[] = {
        {std::make_shared<EParserInvalidElementName_Err>(), 3, 2, 3, 7, u"", u"", u"", en,
         "FATAL ERROR in line 3, between position 2 and 7 -- Invalid element name."},
        {std::make_shared<EParserInvalidCharacter_Err>(), 1, 4, 1, 4, u"", u"", u"", en,
         "FATAL ERROR in line 1, position 4 -- Invalid character."},
        {std::make_shared<EParserMissing_Entity_Declaration_Err>(), 1, 5, 2, 3, u"", u"", u"foo",
         en,
         "ERROR between line 1, position 5 and line 2, position 3 -- "
         "Missing entity declaration: foo"},
        {std::make_shared<EParserUnusable_Entity_Decl_Warning>(), 0, 0, 0, 0, u"P", u"S", u"", en,
         "WARNING: in document P (S)  -- Unusable entity declared."},
        {std::make_shared<EParserDoubleRootElement_Err>(), 2, 1, 2, 1, u"P", u"", u"", en,
         "FATAL ERROR in public document P in line 2, position 1 -- Double root element."},
        {std::make_shared<EParserRootNotFound_Err>(), 0, 0, 0, 0, u"", u"feed.xml", u"", en,
         "FATAL ERROR in local document feed.xml  -- No root element found."},
        {std::make_shared<EConvertError>("x"), 0, 0, 0, 0, u"", u"", u"", en,
         "FATAL ERROR  -- Invalid source-code."},
        {std::make_shared<EParserInvalidElementName_Err>(), 3, 2, 3, 7, u"", u"", u"",
         TdomLanguage::langGerman,
         "FATALER FEHLER in Zeile 3, zwischen Position 2 und 7 -- Ungültiger Elementname."},
        {std::make_shared<EParserDouble_AttDef_Warning>(), 1, 1, 4, 2, u"", u"a.xml", u"x",
         TdomLanguage::langPolish,
         "OSTRZEŻENIE: w dokumencie lokalnym a.xml między wierszem 1, pozycja 1 a wierszem 4, "
         "pozycja 2 -- Podwójna definicja atrybutu: x"},
        {std::make_shared<EParserInvalidCharacter_Err>(), 1, 4, 1, 4, u"", u"", u"",
         static_cast<TdomLanguage>(9), "FATAL ERROR in line 1, position 4 -- Invalid character."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        TXmlParserError record(*c.error, c.startLine, c.startColumn, c.endLine, c.endColumn,
                               c.publicId, c.systemId, c.code);
        EXPECT_EQ(toUtf8(record.errorMessage(c.language)), c.expected);
    }
}

TEST(XmlParserError, EveryLanguageDescribesTheKnownClasses) {
    for (int language = 0; language < 7; ++language) {
        SCOPED_TRACE(language);
        TXmlParserError known(EParserDoubleDoctype_Err(), 0, 0, 0, 0, u"", u"", u"");
        TXmlParserError unknown(EConvertError("x"), 0, 0, 0, 0, u"", u"", u"");
        auto lang = static_cast<TdomLanguage>(language);
        EXPECT_NE(known.errorMessage(lang), unknown.errorMessage(lang));
        if (lang != TdomLanguage::langEnglish) {
            EXPECT_NE(known.errorMessage(lang), known.errorMessage(TdomLanguage::langEnglish));
        }
    }
}

TEST(XmlParserError, IdsReachTheMessageUnchanged) {
    TXmlParserError record(EParserWarning(), 0, 0, 0, 0, u"", u"a\xD800", u"");
    EXPECT_EQ(record.errorMessage(TdomLanguage::langEnglish).substr(0, 29),
              u"WARNING: in local document a\xD800");
}

TEST(StandardErrorHandler, RecordsEveryReportWithTheLocatorPositions) {
    TMemoryStream stream;
    stream.Write("ab\ncd", 5);
    TXmlInputSource source(&stream, u"pub", u"sys");
    TdomStandardLocator* locator = source.locator();
    char16_t unit;
    for (int i = 0; i < 4; ++i) source.nextChar(unit);

    TdomStandardErrorHandler handler;
    handler.warning(nullptr, locator, EParserDouble_Entity_Decl_Warning(), u"e");
    handler.error(nullptr, nullptr, EParserDuplicate_ID_Value_Err(), u"");
    EXPECT_ERROR(handler.fatalError(nullptr, locator, EParserRootNotFound_Err(), u""),
                 EParserFatalError, "EParserFatalError: Fatal Error.");
    ASSERT_EQ(handler.errorCount(), 3);
    const TXmlParserError& warning = handler.errors(0);
    EXPECT_EQ(warning.severity(), TdomSeverity::svWarning);
    EXPECT_EQ(warning.errorClass(), "EParserDouble_Entity_Decl_Warning");
    EXPECT_EQ(warning.startLine(), 1);
    EXPECT_EQ(warning.startColumn(), 1);
    EXPECT_EQ(warning.endLine(), 2);
    EXPECT_EQ(warning.endColumn(), 1);
    EXPECT_EQ(warning.publicId(), u"pub");
    EXPECT_EQ(warning.systemId(), u"sys");
    EXPECT_EQ(warning.code(), u"e");
    const TXmlParserError& error = handler.errors(1);
    EXPECT_EQ(error.severity(), TdomSeverity::svError);
    EXPECT_EQ(error.endLine(), 0);
    EXPECT_EQ(error.systemId(), u"");
    EXPECT_EQ(handler.errors(2).severity(), TdomSeverity::svFatalError);
    EXPECT_THROW(handler.errors(3), EListError);
    handler.clearErrors();
    EXPECT_EQ(handler.errorCount(), 0);
}

}  // namespace
}  // namespace wispel
