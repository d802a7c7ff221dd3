#include <gtest/gtest.h>

#include "InputTestSupport.h"
#include "core/FileStream.h"
#include "core/TextConvert.h"
#include "tests/support/ExpectError.h"

namespace wispel {
namespace {

using testing::decodeAll;
using testing::SourceOver;

struct DetectionCase {
    const char* label;
    std::string bytes;
    TdomEncoding encoding;
    DOMString units;  // everything the source hands out
};

TEST(EncodingDetection, MarksAndDeclarationsSelectTheEncoding) {
    const DetectionCase cases[] = {
        {"empty", "", TdomEncoding::etUTF8, u""},
        {"one byte", "<", TdomEncoding::etUTF8, u"<"},
        {"UTF-16LE mark", std::string("\xFF\xFE<\0a\0", 6), TdomEncoding::etUTF16LE, u"<a"},
        {"UTF-16BE mark", std::string("\xFE\xFF\0<\0a", 6), TdomEncoding::etUTF16BE, u"<a"},
        {"UTF-8 signature", "\xEF\xBB\xBF<a/>", TdomEncoding::etUTF8, u"<a/>"},
        {"signature then declaration", "\xEF\xBB\xBF<?xml version='1.0' encoding='latin-1'?>\xE9",
         TdomEncoding::etISO8859_1, u"<?xml version='1.0' encoding='latin-1'?>\u00E9"},
        {"Latin-1 in any case", "<?xml version=\"1.0\" encoding=\"LATIN-1\"?>",
         TdomEncoding::etISO8859_1, u"<?xml version=\"1.0\" encoding=\"LATIN-1\"?>"},
        {"lower-case windows-1252", "<?xml version='1.0' encoding='windows-1252'?>\x80",
         TdomEncoding::etWindows1252, u"<?xml version='1.0' encoding='windows-1252'?>\u20AC"},
        {"alias", "<?xml\tencoding='Cyrillic'?>", TdomEncoding::etISO8859_5,
         u"<?xml\tencoding='Cyrillic'?>"},
        {"unknown name", "<?xml version='1.0' encoding='x-no-such-charset'?>", TdomEncoding::etUTF8,
         u"<?xml version='1.0' encoding='x-no-such-charset'?>"},
        {"UTF-16 named without a mark", "<?xml version='1.0' encoding='UTF-16'?>",
         TdomEncoding::etUTF8, u"<?xml version='1.0' encoding='UTF-16'?>"},
        {"no white space after xml", "<?xmlencoding='cp1252'?>", TdomEncoding::etUTF8,
         u"<?xmlencoding='cp1252'?>"},
        {"declaration not at the start", " <?xml encoding='cp1252'?>", TdomEncoding::etUTF8,
         u" <?xml encoding='cp1252'?>"},
        {"unquoted value", "<?xml encoding=cp1252?>", TdomEncoding::etUTF8,
         u"<?xml encoding=cp1252?>"},
        {"declaration never closed", "<?xml encoding='cp1252'", TdomEncoding::etUTF8,
         u"<?xml encoding='cp1252'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SourceOver over(c.bytes);
        EXPECT_EQ(over.source->encoding(), c.encoding);
        auto decoded = decodeAll(*over.source);
        EXPECT_EQ(decoded.errorClass, "");
        EXPECT_EQ(decoded.units, c.units);
    }
}

TEST(EncodingDetection, ByteOrderMarkAndSignatureAreNotText) {
    for (std::string bytes : {std::string("\xFF\xFE<\0", 4), std::string("\xEF\xBB\xBF<")}) {
        SourceOver over(bytes);
        char16_t unit = 0;
        ASSERT_TRUE(over.source->nextChar(unit));
        EXPECT_EQ(unit, u'<');
        EXPECT_EQ(over.source->locator()->line(), 1);
        EXPECT_EQ(over.source->locator()->column(), 1);
        over.source->rewind();
        ASSERT_TRUE(over.source->nextChar(unit));
        EXPECT_EQ(unit, u'<');
        EXPECT_EQ(over.source->locator()->column(), 1);
    }
}

struct DecodingCase {
    const char* label;
    std::string bytes;
    DOMString units;  // what comes out before the end or the error
    const char* errorClass;
    std::string message;
};

TEST(Decoding, UnitsAndErrorsWithTheirPositions) {
    const std::string cp1252 = "<?xml version='1.0' encoding='cp1252'?>";
    const std::string cp1250 = "<?xml version='1.0' encoding='Windows-1250'?>";
    const std::string cp1251 = "<?xml version='1.0' encoding='cp1251'?>";
    const std::string mac = "<?xml version='1.0' encoding='cp10000_MacRoman'?>";
    const std::string hebrew = "<?xml version='1.0' encoding='Hebrew'?>";
    const std::string latin3 = "<?xml version='1.0' encoding='ISO-8859-3'?>";
    const std::string koi8 = "<?xml version='1.0' encoding='koi8-r'?>";
    const std::string latin9 = "<?xml version='1.0' encoding='Latin-9'?>";
    const std::string arabic = "<?xml version='1.0' encoding='Arabic'?>";
    const std::string greek = "<?xml version='1.0' encoding='greek'?>";
    auto text = [](const std::string& ascii) { return fromUtf8(ascii); };
    const DecodingCase cases[] = {
        {"two bytes", "\xC3\xA9", u"\u00E9", "", ""},
        {"three bytes", "\xE2\x82\xAC", u"\u20AC", "", ""},
        {"four bytes at the end", "a\xF0\x9F\x98\x80", u"a\xD83D\xDE00", "", ""},
        {"overlong", "\xC0\x80", u"", "EConvertError", "Invalid UTF-8 encoding at position 1"},
        {"overlong three bytes", "ab\xE0\x80\xAF", u"ab", "EConvertError",
         "Invalid UTF-8 encoding at position 4"},
        {"stray continuation", "<a/>x\x80", u"<a/>x", "EConvertError",
         "Invalid UTF-8 sequence at position 5"},
        {"bad continuation", "a\xE2\x41\x41", u"a", "EConvertError",
         "Invalid UTF-8 sequence at position 2"},
        {"aborted", "abc\xE2\x82", u"abc", "EConvertError", "Aborted UTF-8 sequence at position 5"},
        {"seven-byte lead", "a\xFE", u"a", "EConvertError", "Invalid UTF-8 sequence at position 1"},
        {"five-byte form by plain arithmetic", "\xF8\x88\x80\x80\x80", u"\xDFC0\xDC00", "", ""},
        {"surrogate refused", "a\xED\xA0\x80", u"a", "EConvertError",
         "Invalid UTF-8 encoding at position 3"},
        {"CESU-8 pair refused", "\xED\xA0\xBD\xED\xB8\x80", u"", "EConvertError",
         "Invalid UTF-8 encoding at position 2"},
        {"UTF-16LE odd byte",
         std::string("\xFF\xFE"
                     "a\0b",
                     5),
         u"a", "EReadError", "Stream read error"},
        {"UTF-16LE surrogates pass", std::string("\xFF\xFE\x3D\xD8", 4), u"\xD83D", "", ""},
        {"Windows-1252 euro", cp1252 + "\x80", text(cp1252) + u"\u20AC", "", ""},
        {"Windows-1252 hole", cp1252 + "\x81", text(cp1252), "EConvertError",
         "Invalid Windows-1252 sequence \"\xC2\x81\""},
        {"Windows-1250 has no euro", cp1250 + "\x80", text(cp1250), "EConvertError",
         "Invalid Windows-1250 sequence \"\xC2\x80\""},
        {"Windows-1251 hole", cp1251 + "\xC0\x98", text(cp1251) + u"\u0410", "EConvertError",
         "Invalid cp1251 sequence \"\xC2\x98\""},
        {"Mac Roman older signs", mac + "\xBD\xDB", text(mac) + u"\u2126\u00A4", "", ""},
        {"Mac Roman apple", mac + "\xF0", text(mac), "EConvertError",
         "Invalid cp10000_MacRoman sequence \"\xC3\xB0\""},
        {"Hebrew overline", hebrew + "\xAF\xE0", text(hebrew) + u"\u203E\u05D0", "", ""},
        {"Hebrew marks rejected", hebrew + "\xFD", text(hebrew), "EConvertError",
         "Invalid ISO-8859-8 sequence \"\xC3\xBD\""},
        {"ISO-8859-3 hole", latin3 + "\xA5", text(latin3), "EConvertError",
         "Invalid ISO-8859-3 sequence \"\xC2\xA5\""},
        {"ISO-8859-6 hole", arabic + "\xC7\xA1", text(arabic) + u"\u0627", "EConvertError",
         "Invalid ISO-8859-6 sequence \"\xC2\xA1\""},
        {"ISO-8859-7 hole", greek + "\xC1\xD2", text(greek) + u"\u0391", "EConvertError",
         "Invalid ISO-8859-7 sequence \"\xC3\x92\""},
        {"KOI8-R", koi8 + "\xC1\xFF", text(koi8) + u"\u0430\u042A", "", ""},
        {"ISO-8859-15 euro", latin9 + "\xA4", text(latin9) + u"\u20AC", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SourceOver over(c.bytes);
        auto decoded = decodeAll(*over.source);
        EXPECT_EQ(decoded.units, c.units);
        EXPECT_EQ(decoded.errorClass, c.errorClass);
        EXPECT_EQ(decoded.message, c.message);
    }
}

TEST(Decoding, ReadsFromTheStartWhateverTheStreamPosition) {
    TMemoryStream stream;
    stream.Write("<a>\xC3\xA9</a>", 9);  // left at its end
    TXmlInputSource source(&stream, u"", u"");
    EXPECT_EQ(decodeAll(source).units, u"<a>\u00E9</a>");
}

TEST(Decoding, NullStreamIsRefused) {
    EXPECT_ERROR((TXmlInputSource(nullptr, u"", u"")), EStreamError, "Stream not specified.");
}

TEST(Decoding, BlocksLongerThanOneBufferDecodeSeamlessly) {
    // Multi-byte characters straddle the block edges of the source's buffer.
    std::string bytes;
    DOMString expected;
    for (int i = 0; i < 70000; ++i) {
        bytes +=
            "\xE2\x82\xAC"
            "a\xF0\x9F\x98\x80";
        expected += u"\u20ACa\xD83D\xDE00";
    }
    SourceOver over(bytes);
    auto decoded = decodeAll(*over.source);
    EXPECT_EQ(decoded.errorClass, "");
    EXPECT_TRUE(decoded.units == expected);
}

struct FileCase {
    const char* file;
    TdomEncoding encoding;
    DOMString title;
};

TEST(Decoding, RealFilesInEachEncoding) {
    const FileCase cases[] = {
        {"utf16le-bom.xml", TdomEncoding::etUTF16LE, u"Gr\u00F6\u00DFe \xD83D\xDE00"},
        {"utf16be-bom.xml", TdomEncoding::etUTF16BE, u"Gr\u00F6\u00DFe \xD83D\xDE00"},
        {"utf8-signature.xml", TdomEncoding::etUTF8, u"Gr\u00F6\u00DFe \xD83D\xDE00"},
        {"windows-1252.xml", TdomEncoding::etWindows1252, u"Gr\u00F6\u00DFe \u20AC"},
        {"koi8-r.xml", TdomEncoding::etKOI8_R, u"\u041F\u0440\u0438\u0432\u0435\u0442"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TFileStream file(std::string(WISPEL_TEST_DATA) + "/xml-reader/" + c.file,
                         TFileMode::fmOpenRead);
        TXmlInputSource source(&file, u"", u"file");
        EXPECT_EQ(source.encoding(), c.encoding);
        EXPECT_EQ(source.rootName(), u"rss");
        auto decoded = decodeAll(source);
        ASSERT_EQ(decoded.errorClass, "");
        EXPECT_TRUE(decoded.units.starts_with(u"<?xml version=\"1.0\""));
        EXPECT_NE(decoded.units.find(u"<title>" + c.title + u"</title>"), DOMString::npos);
        EXPECT_EQ(decoded.units.find(u'\r'), DOMString::npos);
        EXPECT_EQ(source.locator()->line(), 4);
    }
}

}  // namespace
}  // namespace wispel
