#include <gtest/gtest.h>
#include <iconv.h>

#include <iterator>
#include <map>
#include <vector>

#include "xml/input/CodePages.h"
#include "xml/input/Encoding.h"

namespace wispel {
namespace {

// The upper half of a single-byte character set as the C library's converter has it;
// kRejectedByte where it refuses the byte.
std::vector<char16_t> libraryUpperHalf(const char* name) {
    std::vector<char16_t> units;
    iconv_t converter = iconv_open("UTF-16LE", name);
    if (converter == reinterpret_cast<iconv_t>(-1)) return units;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char in = static_cast<char>(byte);
        unsigned char out[8] = {};
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);  // a fresh state per byte
        bool converted =
            iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == 0 && sizeof out - outLeft == 2;
        units.push_back(converted ? static_cast<char16_t>(out[0] | out[1] << 8) : kRejectedByte);
    }
    iconv_close(converter);
    return units;
}

struct TableCase {
    TdomEncoding encoding;
    const char* libraryName;
    // Bytes where our table keeps the older mapping or refuses the byte, and the one byte
    // where the C library keeps an older mapping than the published one.
    std::map<int, char16_t> differences;
};

// Every byte of every table against an independent converter, so that a slip in the
// generated tables (or in regenerating them) shows here.
TEST(CodePages, EveryByteMatchesThePublishedMappingSaveTheOlderOnes) {
    const TableCase cases[] = {
        {TdomEncoding::etISO8859_1, "ISO-8859-1", {}},
        {TdomEncoding::etISO8859_2, "ISO-8859-2", {}},
        {TdomEncoding::etISO8859_3, "ISO-8859-3", {}},
        {TdomEncoding::etISO8859_4, "ISO-8859-4", {}},
        {TdomEncoding::etISO8859_5, "ISO-8859-5", {}},
        {TdomEncoding::etISO8859_6, "ISO-8859-6", {}},
        {TdomEncoding::etISO8859_7, "ISO-8859-7", {}},
        {TdomEncoding::etISO8859_8,
         "ISO-8859-8",
         {{0xAF, 0x203E}, {0xFD, kRejectedByte}, {0xFE, kRejectedByte}}},
        {TdomEncoding::etISO8859_9, "ISO-8859-9", {}},
        {TdomEncoding::etISO8859_10, "ISO-8859-10", {}},
        {TdomEncoding::etISO8859_13, "ISO-8859-13", {}},
        {TdomEncoding::etISO8859_14, "ISO-8859-14", {}},
        {TdomEncoding::etISO8859_15, "ISO-8859-15", {}},
        {TdomEncoding::etKOI8_R, "KOI8-R", {}},
        {TdomEncoding::etMacRoman,
         "MACINTOSH",
         {{0xBD, 0x2126}, {0xC6, 0x2206}, {0xDB, 0x00A4}, {0xF0, kRejectedByte}}},
        {TdomEncoding::etWindows1250, "CP1250", {{0x80, kRejectedByte}}},
        {TdomEncoding::etWindows1251, "CP1251", {}},
        {TdomEncoding::etWindows1252, "CP1252", {}},
    };
    ASSERT_EQ(std::size(cases), static_cast<std::size_t>(kCodePageCount));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.libraryName);
        std::vector<char16_t> expected = libraryUpperHalf(c.libraryName);
        ASSERT_EQ(expected.size(), 128u) << "the C library has no converter for it";
        for (const auto& [byte, unit] : c.differences) expected[byte - 0x80] = unit;
        const char16_t* table = kCodePageUpperHalves[static_cast<int>(c.encoding) - kFirstCodePage];
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            EXPECT_EQ(table[byte - 0x80], expected[byte - 0x80]) << "byte " << std::hex << byte;
        }
    }
}

}  // namespace
}  // namespace wispel
