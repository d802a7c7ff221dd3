#include <gtest/gtest.h>

#include "core/TextCase.h"
#include "core/TextConvert.h"
#include "core/TextTrim.h"

using namespace wispel;

TEST(TextConvert, Utf16ToUtf8) {
    struct Case {
        std::u16string in;
        std::string out;
    } cases[] = {
        {u"", ""},
        {u"abc", "abc"},
        {u"\u00E9\u20AC", "\xC3\xA9\xE2\x82\xAC"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD800)) + u"x", "?x"},   // lone high surrogate
        {u"x" + std::u16string(1, char16_t(0xDC00)), "x?"},   // lone low surrogate
        {std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "??"},  // pair in wrong order
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(c.in), c.out);
}

// ASCII is converted four units at a time: any other character must come out right at
// every place in such a run.
TEST(TextConvert, Utf16ToUtf8AtEveryPlaceInARun) {
    const struct {
        std::u16string units;
        std::string bytes;
    } specials[] = {
        {u"\u00E9", "\xC3\xA9"},
        {u"\u20AC", "\xE2\x82\xAC"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD800)), "?"},
        {std::u16string(1, char16_t(0xDC00)), "?"},
    };
    const std::u16string plain = u"Council & city";
    for (const auto& special : specials) {
        for (std::size_t at = 0; at <= plain.size(); ++at) {
            const std::string expected =
                toUtf8(plain.substr(0, at)) + special.bytes + toUtf8(plain.substr(at));
            EXPECT_EQ(toUtf8(plain.substr(0, at) + special.units + plain.substr(at)), expected)
                << expected;
        }
    }
    std::string text = "caf";
    appendToUtf8(text, u"\u00E9 au lait");
    EXPECT_EQ(text, "caf\xC3\xA9 au lait");
}

TEST(TextConvert, Utf8ToUtf16) {
    struct Case {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"", u""},
        {"a\xC3\xA9", u"a\u00E9"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xFF", u"\uFFFD"},                   // never valid
        {"\xC3", u"\uFFFD"},                   // cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD"},         // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
    };
    for (const auto& c : cases) EXPECT_EQ(fromUtf8(c.in), c.out) << c.in;
}

TEST(TextConvert, TruncateNeverSplitsASequence) {
    const std::string text = "ab\xE2\x82\xAC" "c";  // a b EURO c
    EXPECT_EQ(truncateUtf8(text, 10), text);
    EXPECT_EQ(truncateUtf8(text, 5), "ab\xE2\x82\xAC");
    EXPECT_EQ(truncateUtf8(text, 4), "ab");
    EXPECT_EQ(truncateUtf8(text, 3), "ab");
    EXPECT_EQ(truncateUtf8(text, 2), "ab");
    EXPECT_EQ(truncateUtf8(text, 0), "");
}

TEST(TextCase, FoldsLetterCaseBeyondAscii) {
    EXPECT_TRUE(sameText("Title", "tITLE"));
    EXPECT_TRUE(sameText("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));  // été / ÉTÉ
    EXPECT_FALSE(sameText("title", " title"));
    EXPECT_FALSE(sameText("title", "titles"));
    EXPECT_LT(compareTextIgnoreCase("apple", "BANANA"), 0);
    EXPECT_EQ(upperCase("stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");  // no one-to-many mapping
    EXPECT_EQ(lowerCase("\xC3\x89" "COLE"), "\xC3\xA9" "cole");
    EXPECT_TRUE(sameText(std::u16string_view(u"Item"), std::u16string_view(u"ITEM")));
}

TEST(TextTrim, EachTrimStripsWhatItsNameSays) {
    const std::string_view text = "\x01 \t\r\n caf\xC3\xA9 \n\t \x7F";
    const struct {
        std::string_view (*trim)(std::string_view);
        std::string_view expected;
    } cases[] = {
        {trimText, "caf\xC3\xA9 \n\t \x7F"},  // DEL is above ' '
        {trimSpaces, "\x01 \t\r\n caf\xC3\xA9 \n\t \x7F"},
        {trimSpacesAndTabs, "\x01 \t\r\n caf\xC3\xA9 \n\t \x7F"},
        {trimXmlBlanks, "\x01 \t\r\n caf\xC3\xA9 \n\t \x7F"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.trim(text), c.expected);
    const struct {
        std::string_view text, spaces, spacesAndTabs, xmlBlanks;
    } ends[] = {
        {"", "", "", ""},
        {" \t\r\n ", "\t\r\n", "\r\n", ""},
        {"  a b  ", "a b", "a b", "a b"},
        {"\ta\t", "\ta\t", "a", "a"},
        {"\r\na\x01", "\r\na\x01", "\r\na\x01", "a\x01"},
    };
    for (const auto& c : ends) {
        EXPECT_EQ(trimSpaces(c.text), c.spaces);
        EXPECT_EQ(trimSpacesAndTabs(c.text), c.spacesAndTabs);
        EXPECT_EQ(trimXmlBlanks(c.text), c.xmlBlanks);
        std::u16string wide(c.text.begin(), c.text.end());
        std::u16string xmlBlanks(c.xmlBlanks.begin(), c.xmlBlanks.end());
        EXPECT_EQ(trimXmlBlanks(std::u16string_view(wide)), xmlBlanks);
    }
}
