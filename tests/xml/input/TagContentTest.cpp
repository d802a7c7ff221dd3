#include <gtest/gtest.h>

#include <string>

#include "core/Exception.h"
#include "tests/support/ExpectError.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/CustomStr.h"
#include "xml/input/NameValueList.h"
#include "xml/input/TagContent.h"

namespace wispel {
namespace {

// "name|a=1|b=2", or the class name of the error.
std::string parsed(std::u16string_view content) {
    try {
        DOMString name;
        TdomNameValueList attributes;
        parseTagContent(content, name, attributes);
        std::string out = toUtf8(name);
        for (int i = 0; i < attributes.count(); ++i) {
            out += "|" + toUtf8(attributes.names(i)) + "=" + toUtf8(attributes.values(i));
        }
        return out;
    } catch (const Exception& e) {
        return e.className();
    }
}

TEST(TagContent, NamesAttributesAndTheirErrors) {
    const std::pair<std::u16string_view, std::string> cases[] = {
        {u"a", "a"},
        {u"a  ", "a"},
        {u"a x='1' y = \"2\"\n", "a|x=1|y=2"},
        {u"a x='>\"' y=\"'\"", "a|x=>\"|y='"},
        {u"a x=''", "a|x="},
        {u"a x='&amp; <'", "a|x=&amp; <"},
        {u"a x", "EParserMissingQuotationMark_Err"},
        {u"a x=", "EParserMissingQuotationMark_Err"},
        {u"a x y='1'", "EParserMissingQuotationMark_Err"},
        {u"a x='1", "EParserMissingQuotationMark_Err"},
        {u"a x '1'", "EParserMissingEqualitySign_Err"},
        {u"a x'1'", "EParserInvalidAttributeName_Err"},
        {u"a x=='1'", "EParserDoubleEqualitySign_Err"},
        {u"a x = = '1'", "EParserDoubleEqualitySign_Err"},
        {u"a x='1'y='2'", "EParserMissingWhiteSpace_Err"},
        {u"a 1x='1'", "EParserInvalidAttributeName_Err"},
        {u"a ='1'", "EParserInvalidAttributeName_Err"},
        {u"a 1x='1", "EParserInvalidAttributeName_Err"},
        {u"a x='1' x='2'", "EParserDoubleAttributeName_Err"},
        {u"a x='1' X='2'", "EParserDoubleAttributeName_Err"},
        {u"a x='1' y='2' z='3'", "a|x=1|y=2|z=3"},
        {u"a x='1' y='2' X='3'", "EParserDoubleAttributeName_Err"},
        {u"a x='1' y='2' Y='3'", "EParserDoubleAttributeName_Err"},
        {u"a \u00E9='1' \u00C9='2'", "EParserDoubleAttributeName_Err"},
        {u"a xy='1' x\u00FF='2' XY='3'", "EParserDoubleAttributeName_Err"},
        // Beyond the first eight, names are looked up among all the earlier ones.
        {u"a a1='1' a2='2' a3='3' a4='4' a5='5' a6='6' a7='7' a8='8' a9='9' b='0'",
         "a|a1=1|a2=2|a3=3|a4=4|a5=5|a6=6|a7=7|a8=8|a9=9|b=0"},
        {u"a a1='1' a2='2' a3='3' a4='4' a5='5' a6='6' a7='7' a8='8' a9='9' A1='0'",
         "EParserDoubleAttributeName_Err"},
        {u"a a1='1' a2='2' a3='3' a4='4' a5='5' a6='6' a7='7' a8='8' a9='9' A9='0'",
         "EParserDoubleAttributeName_Err"},
    };
    for (const auto& [content, expected] : cases) {
        SCOPED_TRACE(toUtf8(content));
        EXPECT_EQ(parsed(content), expected);
    }
}

TEST(NameValueList, KeepsOrderAndFindsNames) {
    TdomNameValueList list;
    EXPECT_EQ(list.add(u"Title", u"x"), 0);
    EXPECT_EQ(list.add(u"\u00C4rger", u"y"), 1);
    list.insert(0, u"first", u"0");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.indexOfName(u"TITLE"), 1);
    EXPECT_EQ(list.indexOfName(u"\u00E4rger"), 2);
    EXPECT_EQ(list.indexOfName(u"none"), -1);
    EXPECT_EQ(list.indexOfNameValue(u"Title", u"x"), 1);
    EXPECT_EQ(list.indexOfNameValue(u"title", u"x"), -1);
    EXPECT_EQ(list.indexOfNameValue(u"Title", u"X"), -1);
    list.exchange(0, 2);
    EXPECT_EQ(list.names(0), u"\u00C4rger");
    EXPECT_EQ(list.values(2), u"0");
    list.deleteItem(1);
    EXPECT_EQ(list.names(1), u"first");
    EXPECT_ERROR(list.values(2), EListError, "List index out of bounds (2)");
    EXPECT_THROW(list.insert(3, u"a", u"b"), EListError);
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

TEST(NameValueList, AnUnpairedSurrogateDoesNotSurviveTheCodePage) {
    TdomNameValueList list;
    list.add(u"a", u"x\xD800y");
    EXPECT_EQ(list.values(0), u"x?y");
}

TEST(CustomStr, GrowsAndComparesByOneBasedUnits) {
    TdomCustomStr str;
    for (int i = 0; i < 1000; ++i) str.addWideChar(static_cast<char16_t>(u'a' + i % 26));
    str.addWideString(u"end");
    EXPECT_EQ(str.length(), 1003u);
    EXPECT_EQ(str.wideChars(1), u'a');
    str.setWideChars(2, u'Z');
    EXPECT_TRUE(str.startsWith(u"aZc"));
    EXPECT_TRUE(str.endsWith(u"end"));
    EXPECT_FALSE(str.startsWith(u""));
    EXPECT_FALSE(str.endsWith(u""));
    EXPECT_THROW(str.wideChars(0), EListError);
    EXPECT_THROW(str.wideChars(1004), EListError);
    str.reset();
    EXPECT_TRUE(str.isEmpty());
    str.addWideString(u"x");
    EXPECT_TRUE(str.isEqual(u"x"));
    EXPECT_EQ(str.value(), u"x");
}

}  // namespace
}  // namespace wispel
