#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/support/ExpectError.h"
#include "xml/errors/ParserErrors.h"
#include "xml/errors/Severity.h"

namespace wispel {
namespace {

struct ErrorCase {
    std::function<void()> raise;
    const char* className;
    const char* message;
    TdomSeverity severity;
    bool isDoctypeError;
};

template <class E>
std::function<void()> raiser() {
    return [] { throw E(); };
}

TEST(ParserErrors, ClassesKeepNameMessageAndFamily) {
    const ErrorCase cases[] = {
        {raiser<EParserException>(), "EParserException", "Parser error.",
         TdomSeverity::svFatalError, false},
        {raiser<EParserFatalError>(), "EParserFatalError", "EParserFatalError: Fatal Error.",
         TdomSeverity::svFatalError, false},
        {raiser<EParserMissingWhiteSpace_Err>(), "EParserMissingWhiteSpace_Err",
         "Missing white-space error.", TdomSeverity::svFatalError, false},
        {raiser<EParserInvalidCharacter_Err>(), "EParserInvalidCharacter_Err",
         "Invalid character error.", TdomSeverity::svFatalError, false},
        {raiser<EParserInvalidDoctype_Err>(), "EParserInvalidDoctype_Err",
         "Invalid doctype declaration error.", TdomSeverity::svFatalError, true},
        {raiser<EParserDoubleDoctype_Err>(), "EParserDoubleDoctype_Err",
         "Double doctype declaration error.", TdomSeverity::svFatalError, true},
        {raiser<EParserInvalidConditionalSection_Err>(), "EParserInvalidConditionalSection_Err",
         "Invalid conditional section error.", TdomSeverity::svFatalError, true},
        {raiser<EParserInvalidTextDeclaration_Err>(), "EParserInvalidTextDeclaration_Err",
         "Invalid text-declaration error.", TdomSeverity::svFatalError, false},
        {raiser<EParserExternal_Subset_Not_Found_Err>(), "EParserExternal_Subset_Not_Found_Err",
         "External_Subset_Not_Found_Err", TdomSeverity::svError, false},
        {raiser<EParserUnresolvable_Parameter_Entity_Reference_Err>(),
         "EParserUnresolvable_Parameter_Entity_Reference_Err",
         "Unresolvable Parameter Entity Reference.", TdomSeverity::svError, false},
        {raiser<EParserUnusable_Entity_Decl_Warning>(), "EParserUnusable_Entity_Decl_Warning",
         "Unusable_Entity_Decl_Warning", TdomSeverity::svWarning, false},
        {raiser<EInternalParserException>(), "EInternalParserException",
         "Internal parser exception.", TdomSeverity::svFatalError, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        try {
            c.raise();
            FAIL() << "nothing raised";
        } catch (const EParserException& e) {
            EXPECT_STREQ(e.className(), c.className);
            EXPECT_EQ(e.message(), c.message);
            EXPECT_EQ(severityOf(e), c.severity);
            EXPECT_EQ(dynamic_cast<const EParserInvalidDoctype_Err*>(&e) != nullptr,
                      c.isDoctypeError);
        }
    }
}

TEST(ParserErrors, RaiseSiteMayChooseItsMessage) {
    EXPECT_ERROR(
        throw EParserInvalidXmlDeclaration_Err("Character(s) before xml-declaration error."),
        EParserInvalidXmlDeclaration_Err, "Character(s) before xml-declaration error.");
}

TEST(ParserErrors, ClassesOutsideTheFamiliesCountAsFatal) {
    EXPECT_EQ(severityOf(EConvertError("x")), TdomSeverity::svFatalError);
    EXPECT_EQ(severityOf(EParserException()), TdomSeverity::svFatalError);
}

}  // namespace
}  // namespace wispel
