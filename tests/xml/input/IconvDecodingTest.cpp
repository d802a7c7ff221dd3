// Encodings beyond the built-in tables (through the C library's iconv) and UTF-16 without a
// byte-order mark.
#include <gtest/gtest.h>

#include "InputTestSupport.h"
#include "core/TextConvert.h"

namespace wispel {
namespace {

using testing::decodeAll;
using testing::SourceOver;

std::string declaration(const std::string& name) {
    return "<?xml version='1.0' encoding='" + name + "'?>";
}

struct Case {
    const char* label;
    std::string bytes;
    TdomEncoding encoding;
    DOMString units;  // what comes out before the end or the error
    const char* errorClass;
    std::string message;
};

void expectDecoded(const Case& c) {
    SCOPED_TRACE(c.label);
    SourceOver over(c.bytes);
    EXPECT_EQ(over.source->encoding(), c.encoding);
    auto decoded = decodeAll(*over.source);
    EXPECT_EQ(decoded.units, c.units);
    EXPECT_EQ(decoded.errorClass, c.errorClass);
    EXPECT_EQ(decoded.message, c.message);
}

TEST(IconvDecoding, NamesTheTablesDoNotKnowGoThroughTheCLibrary) {
    const std::string eucKr = declaration("EUC-KR");
    const std::string sjis = declaration("Shift_JIS");
    const std::string gb = declaration("gb2312");
    const std::string gb18030 = declaration("GB18030");
    const std::string jis = declaration("ISO-2022-JP");
    auto text = [](const std::string& ascii) { return fromUtf8(ascii); };
    const Case cases[] = {
        {"EUC-KR", eucKr + "<t>\xC7\xD1\xB1\xB9</t>", TdomEncoding::etIconv,
         text(eucKr) + u"<t>\uD55C\uAD6D</t>", "", ""},
        {"Shift_JIS", sjis + "\x82\xA0\r\nx", TdomEncoding::etIconv, text(sjis) + u"\u3042\nx", "",
         ""},
        {"Shift_JIS's own ASCII codes", sjis + "a\\b~\x81\x5C", TdomEncoding::etIconv,
         text(sjis) + u"a\u00A5b\u203E\u2015", "", ""},
        {"GB2312 in lower case", gb + "\xC4\xE3\xBA\xC3", TdomEncoding::etIconv,
         text(gb) + u"\u4F60\u597D", "", ""},
        {"above U+FFFF as a surrogate pair", gb18030 + "\x94\x39\xFC\x36", TdomEncoding::etIconv,
         text(gb18030) + u"\xD83D\xDE00", "", ""},
        {"shift sequences", jis + "\x1B$B$\"\x1B(Bz", TdomEncoding::etIconv,
         text(jis) + u"\u3042z", "", ""},
        {"shift sequence at the end", jis + "a\x1B$B", TdomEncoding::etIconv, text(jis) + u"a", "",
         ""},
        {"invalid byte", eucKr + "ab\xA1 ", TdomEncoding::etIconv, text(eucKr) + u"ab",
         "EConvertError", "Invalid EUC-KR sequence at position " + std::to_string(eucKr.size() + 2)},
        {"character cut by the end", eucKr + "a\xB0", TdomEncoding::etIconv, text(eucKr) + u"a",
         "EConvertError", "Aborted EUC-KR sequence at position " + std::to_string(eucKr.size() + 2)},
        // Nothing knows the name, or it contradicts the ASCII bytes that named it, or it asks
        // the C library for more than a conversion: read as UTF-8, as always.
        {"unknown", declaration("x-unknown") + "\xC3\xA9", TdomEncoding::etUTF8,
         text(declaration("x-unknown")) + u"\u00E9", "", ""},
        {"UTF-16LE named in ASCII", declaration("UTF-16LE"), TdomEncoding::etUTF8,
         text(declaration("UTF-16LE")), "", ""},
        {"UTF-32 named in ASCII", declaration("UTF-32"), TdomEncoding::etUTF8,
         text(declaration("UTF-32")), "", ""},
        {"conversion options", declaration("EUC-KR//IGNORE"), TdomEncoding::etUTF8,
         text(declaration("EUC-KR//IGNORE")), "", ""},
        {"US-ASCII stays UTF-8", declaration("US-ASCII") + "\xC3\xA9", TdomEncoding::etUTF8,
         text(declaration("US-ASCII")) + u"\u00E9", "", ""},
        {"utf8 is UTF-8", declaration("utf8") + "\xF8\x88\x80\x80\x80", TdomEncoding::etUTF8,
         text(declaration("utf8")) + u"\xDFC0\xDC00", "", ""},
    };
    for (const auto& c : cases) expectDecoded(c);
}

TEST(IconvDecoding, CharactersAcrossBlockEdgesAndRewinds) {
    std::string bytes = declaration("ISO-2022-JP");
    DOMString expected = fromUtf8(bytes);
    for (int i = 0; i < 30000; ++i) {
        bytes += "a\x1B$B$\"\x1B(B";
        expected += u"a\u3042";
    }
    SourceOver over(bytes);
    auto first = decodeAll(*over.source);
    EXPECT_EQ(first.errorClass, "");
    EXPECT_TRUE(first.units == expected);
    // A rewind in the middle of a shifted run starts again from the initial state.
    over.source->rewind();
    char16_t unit = 0;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(over.source->nextChar(unit));
    EXPECT_EQ(over.source->readAll().size(),
              expected.size() - declaration("ISO-2022-JP").size());
    over.source->rewind();
    EXPECT_TRUE(decodeAll(*over.source).units == expected);
}

TEST(IconvDecoding, PositionsCountCodeUnits) {
    SourceOver over(declaration("EUC-KR") + "\n\xB0\xA1z");
    char16_t unit = 0;
    while (over.source->nextChar(unit) && unit != u'z') {
    }
    EXPECT_EQ(over.source->locator()->line(), 2);
    EXPECT_EQ(over.source->locator()->column(), 2);
}

TEST(UnmarkedUtf16, TheFirstFourBytesTellTheByteOrder) {
    const Case cases[] = {
        {"little-endian", std::string("<\0?\0x\0m\0l\0 \0?\0>\0\x60\x4F", 18),
         TdomEncoding::etUTF16LE, u"<?xml ?>\u4F60", "", ""},
        {"big-endian", std::string("\0<\0?\0x\0m\0l\0 \0?\0>\x4F\x60", 18), TdomEncoding::etUTF16BE,
         u"<?xml ?>\u4F60", "", ""},
        {"no declaration", std::string("<\0a\0/\0>\0", 8), TdomEncoding::etUTF8,
         DOMString(u"<\0a\0/\0>\0", 8), "", ""},
        {"three bytes", std::string("<\0?", 3), TdomEncoding::etUTF8, DOMString(u"<\0?", 3), "", ""},
    };
    for (const auto& c : cases) expectDecoded(c);
}

}  // namespace
}  // namespace wispel

namespace wispel {
namespace {

// Runs of plain text taken at once, as the reader takes them, then the rest unit by unit.
DOMString readInRuns(TXmlInputSource& source) {
    TXmlInputSource::PlainTable plain{};
    for (int byte = 0x20; byte < 0x7F; ++byte) plain[byte] = true;
    DOMString units;
    char16_t unit = 0;
    for (;;) {
        const std::string_view run = source.plainRun(plain);
        units.append(run.begin(), run.end());
        source.takeRun(run.size(), source.locator());
        if (!source.nextChar(unit)) return units;
        units.push_back(unit);
    }
}

TEST(IconvDecoding, PlainRunsStopWhereTheLibraryDecides) {
    const struct {
        std::string bytes;
        DOMString units;
    } cases[] = {
        {declaration("EUC-KR") + "ab\xB0\xA1" "cd", fromUtf8(declaration("EUC-KR")) + u"ab\uAC00cd"},
        // Shift_JIS: a backslash is the yen sign, also as the second byte of a character.
        {declaration("Shift_JIS") + "a\\b\x81\x5C" "c", fromUtf8(declaration("Shift_JIS")) +
                                                          u"a\u00A5b\u2015c"},
        // With shift states no byte is plain.
        {declaration("ISO-2022-JP") + "a\x1B$B$\"\x1B(Bb",
         fromUtf8(declaration("ISO-2022-JP")) + u"a\u3042b"},
    };
    for (const auto& c : cases) {
        SourceOver over(c.bytes);
        ASSERT_EQ(over.source->encoding(), TdomEncoding::etIconv);
        EXPECT_EQ(readInRuns(*over.source), c.units) << c.bytes;
    }
}

}  // namespace
}  // namespace wispel
