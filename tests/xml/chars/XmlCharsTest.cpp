#include <gtest/gtest.h>

#include "core/Exception.h"
#include "tests/support/ExpectError.h"
#include "xml/chars/XmlCharClasses.h"
#include "xml/chars/XmlChars.h"

namespace wispel {
namespace {

TEST(XmlChars, SingleUnitClasses) {
    struct Case {
        char16_t unit;
        bool xmlChar, blank, pubid;
    };
    const Case cases[] = {
        {0x09, true, true, false},    {0x0A, true, true, true},      {0x0D, true, true, true},
        {0x20, true, true, true},     {0x00, false, false, false},   {0x1F, false, false, false},
        {u'a', true, false, true},    {u'%', true, false, true},     {u'"', true, false, false},
        {u'<', true, false, false},   {0xD800, true, false, false},  {0xDFFF, true, false, false},
        {0xFFFD, true, false, false}, {0xFFFE, false, false, false}, {0xFFFF, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.unit));
        EXPECT_EQ(validXmlChar(c.unit), c.xmlChar);
        EXPECT_EQ(xmlBlank(c.unit), c.blank);
        EXPECT_EQ(validPubidChar(c.unit), c.pubid);
    }
    EXPECT_FALSE(allBlank(u""));
    EXPECT_TRUE(allBlank(u" \t\r\n"));
    EXPECT_FALSE(allBlank(u" x "));
}

// The ASCII units are answered without the class table; both must agree.
TEST(XmlChars, AsciiNameClassesAgreeWithTheClassTable) {
    for (char16_t unit = 0; unit < 0x80; ++unit) {
        SCOPED_TRACE(static_cast<int>(unit));
        const std::uint8_t bits = xmlclass::classOf(unit);
        EXPECT_EQ(isXmlLetter(unit), (bits & xmlclass::kLetter) != 0);
        const bool punctuation = unit == u'.' || unit == u'-' || unit == u'_' || unit == u':';
        EXPECT_EQ(isXmlNameChar(unit), punctuation || (bits & xmlclass::kNameChar) != 0);
    }
}

TEST(XmlChars, Names) {
    struct Case {
        std::u16string text;
        bool name, piTarget;
    };
    const Case cases[] = {
        {u"item", true, true},
        {u"_a.b-c:d9", true, true},
        {u":x", true, true},
        {u"", false, false},
        {u"9a", false, false},
        {u"-a", false, false},
        {u"a b", false, false},
        {u"XmL", true, false},
        {u"xml-stylesheet", true, true},
        {u"\u00C0\u00B7\u0300", true, true},  // letter, extender, combining character
        {u"\u0300a", false, false},           // combining character cannot start a name
        {u"\u4E00\u0660", true, true},        // ideograph then Arabic-Indic digit
        {u"\u00D7", false, false},            // multiplication sign is no letter
        {u"a\u2000", false, false},
        {u"\xAC00\xD7A3", true, true},     // Hangul syllables at the range ends
        {u"a\xD800\xDC00", false, false},  // surrogates are never name characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(validName(c.text), c.name);
        EXPECT_EQ(validPITarget(c.text), c.piTarget);
    }
    EXPECT_TRUE(validQName(u"a:b"));
    EXPECT_FALSE(validQName(u"a:b:c"));
    EXPECT_FALSE(validQName(u":b"));
    EXPECT_FALSE(validQName(u"a:"));
    EXPECT_FALSE(validNCName(u"a:b"));
}

// The edges of the name-character classes, each unit with its class: the first and last
// unit of ranges, the gaps between neighbouring ranges, and units that sit in one class only.
TEST(XmlChars, NameClassRangeEdges) {
    enum Kind { kNone, kLetter, kOther };  // kOther: a name character that is no letter
    struct Case {
        char16_t unit;
        Kind kind;
    };
    const Case cases[] = {
        {0x0041, kLetter}, {0x005B, kNone},   {0x00B7, kOther},  {0x00C0, kLetter},
        {0x00D7, kNone},   {0x00F7, kNone},   {0x0131, kLetter}, {0x0132, kNone},
        {0x0133, kNone},   {0x0134, kLetter}, {0x013F, kNone},   {0x0140, kNone},
        {0x0149, kNone},   {0x017F, kNone},   {0x01C4, kNone},   {0x01CC, kNone},
        {0x01CD, kLetter}, {0x01F0, kLetter}, {0x01F1, kNone},   {0x01F5, kLetter},
        {0x01F6, kNone},   {0x0217, kLetter}, {0x0218, kNone},   {0x02A8, kLetter},
        {0x02A9, kNone},   {0x02BB, kLetter}, {0x02C1, kLetter}, {0x02C2, kNone},
        {0x02D0, kOther},  {0x02D1, kOther},  {0x0300, kOther},  {0x0345, kOther},
        {0x0346, kNone},   {0x0361, kOther},  {0x0362, kNone},   {0x0386, kLetter},
        {0x0387, kOther},  {0x038B, kNone},   {0x03D7, kNone},   {0x03DB, kNone},
        {0x03F3, kLetter}, {0x0482, kNone},   {0x0483, kOther},  {0x04C5, kNone},
        {0x0640, kOther},  {0x0660, kOther},  {0x0669, kOther},  {0x066A, kNone},
        {0x06D5, kLetter}, {0x06DD, kOther},  {0x06E9, kNone},   {0x06F9, kOther},
        {0x093D, kLetter}, {0x094D, kOther},  {0x0E2F, kNone},   {0x0E30, kLetter},
        {0x0E31, kOther},  {0x0E45, kLetter}, {0x0E46, kOther},  {0x0E4F, kNone},
        {0x0F29, kOther},  {0x0F2A, kNone},   {0x0F69, kLetter}, {0x0FB9, kOther},
        {0x10C6, kNone},   {0x1101, kNone},   {0x11F9, kLetter}, {0x1E9C, kNone},
        {0x1F5E, kNone},   {0x1FBD, kNone},   {0x1FBE, kLetter}, {0x1FFC, kLetter},
        {0x20DC, kOther},  {0x20DD, kNone},   {0x20E1, kOther},  {0x2126, kLetter},
        {0x2127, kNone},   {0x212E, kLetter}, {0x2183, kNone},   {0x3005, kOther},
        {0x3006, kNone},   {0x3007, kLetter}, {0x3021, kLetter}, {0x3029, kLetter},
        {0x302A, kOther},  {0x302F, kOther},  {0x3030, kNone},   {0x3035, kOther},
        {0x3094, kLetter}, {0x3095, kNone},   {0x3099, kOther},  {0x309E, kOther},
        {0x30FA, kLetter}, {0x30FB, kNone},   {0x30FE, kOther},  {0x312C, kLetter},
        {0x312D, kNone},   {0x4DFF, kNone},   {0x4E00, kLetter}, {0x9FA5, kLetter},
        {0x9FA6, kNone},   {0xABFF, kNone},   {0xAC00, kLetter}, {0xD7A3, kLetter},
        {0xD7A4, kNone},   {0xF900, kNone},   {0xFF21, kNone},   {0xFFFD, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.unit));
        EXPECT_EQ(isXmlLetter(c.unit), c.kind == kLetter);
        EXPECT_EQ(isXmlNameChar(c.unit), c.kind != kNone);
    }
}

TEST(XmlChars, CharacterDataAndCData) {
    struct Case {
        std::u16string text;
        bool charData, cdata;
    };
    const Case cases[] = {
        {u"", true, true},
        {u"plain text\t\r\n", true, true},
        {u"a < b", false, true},
        {u"a & b", false, true},
        {u"]]>", false, false},
        {u"]] >", true, true},
        {u"text ending in ]]", true, true},
        {u"]]]>", false, false},
        {u"\x1F", false, false},
        {u"\xD83D]", false, false},  // high surrogate before a plain unit
        {u"\xE9t\xE9 \xFFFD", true, true},
        {u"\xD83D\xDE00", true, true},    // paired surrogates
        {u"\xD83D", false, false},        // lone high surrogate at the end
        {u"\xDE00\xD83D", false, false},  // pair in the wrong order
        {std::u16string(1, u'\0'), false, false},
        {u"\xFFFE", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(validCharData(c.text), c.charData);
        EXPECT_EQ(validCDataText(c.text), c.cdata);
        // The same inside longer plain text, at every offset: long text is checked in blocks,
        // and a unit that matters must be found wherever a block edge falls.
        const std::u16string plain = u"Plain text, Caf\xE9 and digits 0123456789";
        for (std::size_t before = 0; before <= 17; ++before) {
            std::u16string text = plain.substr(0, before) + c.text + plain.substr(before);
            EXPECT_EQ(validCharData(text), c.charData) << before;
            EXPECT_EQ(validCDataText(text), c.cdata) << before;
        }
    }
}

TEST(XmlChars, SurrogatePairs) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"", true},
        {u"no surrogates, \xE9t\xE9 \xFFFD", true},
        {u"\xD83D\xDE00", true},
        {u"\xD83D\xDE00\xD83D\xDE01", true},
        {u"\xD83D", false},
        {u"\xDE00", false},
        {u"\xDE00\xD83D", false},
        {u"\xD83D\xD83D\xDE00", false},
        {u"\xD83Dx", false},
    };
    // Alone and inside longer text at every offset, as block edges may fall anywhere.
    const std::u16string plain = u"Plain text, Caf\xE9 and digits 0123456789";
    for (const auto& [units, paired] : cases) {
        for (std::size_t before = 0; before <= 17; ++before) {
            std::u16string text = plain.substr(0, before) + units + plain.substr(before);
            EXPECT_EQ(surrogatesPaired(text), paired) << toUtf8(units) << " " << before;
        }
        EXPECT_EQ(surrogatesPaired(units), paired) << toUtf8(units);
    }
}

TEST(XmlChars, VersionAndEncodingNames) {
    EXPECT_TRUE(validVersionNum(u"1.0"));
    EXPECT_TRUE(validVersionNum(u"a_b:c-1"));
    EXPECT_FALSE(validVersionNum(u""));
    EXPECT_FALSE(validVersionNum(u"1 0"));
    EXPECT_TRUE(validEncName(u"UTF-8"));
    EXPECT_TRUE(validEncName(u"iso_8859.1"));
    EXPECT_FALSE(validEncName(u"8859"));
    EXPECT_FALSE(validEncName(u""));
    EXPECT_FALSE(validEncName(u"utf:8"));
}

TEST(XmlChars, TrimAndSplitAtWhiteSpace) {
    struct Case {
        std::u16string_view text, trimmed, head, rest;
    };
    const Case cases[] = {
        {u"", u"", u"", u""},
        {u" \t\r\n", u"", u"", u""},
        {u"name", u"name", u"name", u""},
        {u"name \t rest of it \n", u"name \t rest of it", u"name", u"rest of it"},
        {u" lead", u"lead", u"", u"lead"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trimXmlBlanks(c.text), c.trimmed);
        const TBlankSplit split = splitAtBlank(c.text);
        EXPECT_EQ(split.head, c.head);
        EXPECT_EQ(split.rest, c.rest);
    }
}

TEST(XmlChars, CharRefConversion) {
    struct Good {
        std::u16string ref, result;
    };
    const Good good[] = {
        {u"&#65;", u"A"},
        {u"&#x41;", u"A"},
        {u"&#x0041;", u"A"},
        {u"&#9;", u"\t"},
        {u"&#xD7FF;", u"\xD7FF"},
        {u"&#xE000;", u"\xE000"},
        {u"&#x10000;", u"\xD800\xDC00"},
        {u"&#1114111;", u"\xDBFF\xDFFF"},
    };
    for (const Good& g : good) EXPECT_EQ(validCharRef(g.ref), g.result) << toUtf8(g.ref);

    const std::u16string bad[] = {
        u"&#X41;",       u"&#x;",           u"&#;",      u"&#65",       u"#65;",
        u"&#0;",         u"&#xD800;",       u"&#xFFFE;", u"&#x110000;", u"&#6a;",
        u"&#x80000000;", u"&#99999999999;", u"&#-1;",    u"",
    };
    for (const std::u16string& ref : bad) {
        EXPECT_ERROR(validCharRef(ref), EConvertError,
                     toUtf8(ref) + " is not a valid XmlCharRef value.");
    }
}

}  // namespace
}  // namespace wispel
