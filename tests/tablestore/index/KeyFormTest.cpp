// Key forms: for every type with a form of its own, values in ascending order must give keys
// in ascending byte order; null values come first; descending columns turn the order round.

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>

#include "IndexTestSupport.h"
#include "tablestore/format/ByteOrder.h"
#include "tablestore/index/KeyForm.h"

using namespace wispel;
using namespace wispel::indextest;

namespace {

std::vector<std::uint8_t> formOf(std::uint8_t type, const std::uint8_t* stored, std::uint8_t width) {
    std::vector<std::uint8_t> out(width);
    appendKeyForm(type, stored, width, false, out.data());
    return out;
}

template <class T>
std::vector<std::vector<std::uint8_t>> formsOf(std::uint8_t type, std::initializer_list<T> values) {
    std::vector<std::vector<std::uint8_t>> forms;
    for (T value : values) {
        std::uint8_t stored[sizeof(T)];
        if constexpr (std::is_same_v<T, double>) {
            putLeDouble(stored, value);
        } else if constexpr (sizeof(T) == 2) {
            putLe16(stored, static_cast<std::uint16_t>(value));
        } else {
            putLe32(stored, static_cast<std::uint32_t>(value));
        }
        forms.push_back(formOf(type, stored, sizeof(T)));
    }
    return forms;
}

void expectAscending(const std::vector<std::vector<std::uint8_t>>& forms, const char* what) {
    for (std::size_t i = 1; i < forms.size(); ++i) EXPECT_LT(forms[i - 1], forms[i]) << what << " " << i;
}

TEST(KeyForm, ValuesInOrderGiveKeysInByteOrder) {
    const std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();
    for (std::uint8_t type : {enginetype::kInteger, enginetype::kDate, enginetype::kTime}) {
        expectAscending(formsOf<std::int32_t>(type, {int32Min, -70000, -1, 0, 1, 256, int32Max}),
                        "32-bit");
    }
    expectAscending(formsOf<std::int16_t>(enginetype::kSmallint, {-32768, -300, -1, 0, 1, 300, 32767}),
                    "16-bit");
    expectAscending(formsOf<std::uint16_t>(enginetype::kWord, {0, 1, 255, 256, 65535}), "word");
    expectAscending(formsOf<std::uint16_t>(enginetype::kBoolean, {0, 1}), "Boolean");
    expectAscending(formsOf<std::uint32_t>(enginetype::kUnsigned32, {0, 1, 65536, 0xFFFFFFFFu}),
                    "unsigned 32-bit");
    const double inf = std::numeric_limits<double>::infinity();
    for (std::uint8_t type : {enginetype::kFloat, enginetype::kTimestamp}) {
        expectAscending(formsOf<double>(type, {-inf, -1e300, -2.5, -1e-300, 0.0, 1e-300, 2.5, 1e300, inf}),
                        "double");
    }
}

TEST(KeyForm, BytesOfEachForm) {
    std::uint8_t stored[8];
    putLe32(stored, 1);
    EXPECT_EQ(formOf(enginetype::kInteger, stored, 4), (std::vector<std::uint8_t>{0x80, 0, 0, 1}));
    putLe16(stored, 0xFFFE);  // -2
    EXPECT_EQ(formOf(enginetype::kSmallint, stored, 2), (std::vector<std::uint8_t>{0x7F, 0xFE}));
    putLe16(stored, 1);
    EXPECT_EQ(formOf(enginetype::kBoolean, stored, 2), (std::vector<std::uint8_t>{0, 1}));
    putLeDouble(stored, 1.0);  // 3FF0000000000000
    EXPECT_EQ(formOf(enginetype::kFloat, stored, 8),
              (std::vector<std::uint8_t>{0xBF, 0xF0, 0, 0, 0, 0, 0, 0}));
    putLeDouble(stored, -1.0);  // BFF0000000000000, every bit turned
    EXPECT_EQ(formOf(enginetype::kFloat, stored, 8),
              (std::vector<std::uint8_t>{0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    putLeDouble(stored, -0.0);  // zero, whatever its sign
    EXPECT_EQ(formOf(enginetype::kFloat, stored, 8),
              (std::vector<std::uint8_t>{0x80, 0, 0, 0, 0, 0, 0, 0}));
    const std::uint8_t text[4] = {'a', 'b', 0, 0};
    EXPECT_EQ(formOf(enginetype::kText, text, 4), (std::vector<std::uint8_t>{'a', 'b', 0, 0}));
}

TEST(KeyForm, CaseInsensitiveTextIsUpperCaseAndStaysInItsWidth) {
    const std::uint8_t text[6] = {'a', 0xC3, 0xA4, 'z', 0, 0};  // "aäz"
    std::uint8_t out[6];
    appendKeyForm(enginetype::kText, text, 6, true, out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 6),
              (std::vector<std::uint8_t>{'A', 0xC3, 0x84, 'Z', 0, 0}));
    // "ɐɐ" grows by a byte per letter in upper case ("ⱯⱯ"): cut where a letter ends, with
    // room left for the terminating zero.
    const std::uint8_t grows[6] = {0xC9, 0x90, 0xC9, 0x90, 0, 0};
    appendKeyForm(enginetype::kText, grows, 6, true, out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 6),
              (std::vector<std::uint8_t>{0xE2, 0xB1, 0xAF, 0, 0, 0}));
}

TEST(KeyForm, RecordKeysHaveNullBytesRecordIdsAndDescendingParts) {
    const auto columns = tableColumns();
    TIndexSlot slot;
    slot.ColumnCount = 2;
    slot.FieldNumbers[0] = 3;  // Update
    slot.FieldNumbers[1] = 1;  // ID
    slot.KeyLength = 1 + 4 + 1 + 4 + 4;
    TKeyLayout layout;
    ASSERT_EQ(makeKeyLayout(slot, columns, kRecordSize, layout), storecode::kOk);
    RecordImage image = record(0x01020304, "x", -1);
    std::vector<std::uint8_t> key(layout.KeyLength);
    buildKey(layout, image.data(), key.data());
    EXPECT_EQ(key, (std::vector<std::uint8_t>{1, 0x7F, 0xFF, 0xFF, 0xFF,  // Update -1
                                              1, 0x81, 2, 3, 4,           // ID, always there
                                              0x81, 2, 3, 4}));           // record ID
    clearValue(image.data(), columns[2]);
    buildKey(layout, image.data(), key.data());
    EXPECT_EQ(std::vector<std::uint8_t>(key.begin(), key.begin() + 5),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0}));
    slot.ColumnOptions[0] = 1;  // Update descending
    ASSERT_EQ(makeKeyLayout(slot, columns, kRecordSize, layout), storecode::kOk);
    buildKey(layout, image.data(), key.data());
    EXPECT_EQ(std::vector<std::uint8_t>(key.begin(), key.begin() + 6),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1}));
}

TEST(KeyForm, LayoutRefusesColumnsItCannotKey) {
    auto columns = tableColumns();
    columns.push_back(column(5, "Notes", enginetype::kBlob, enginesubtype::kMemo, 29));
    TIndexSlot slot;
    slot.ColumnCount = 1;
    slot.Unique = true;
    const struct {
        std::uint16_t field;
        std::uint16_t keyLength;
        std::uint32_t recordSize;
    } refused[] = {{0, 12, kRecordSize}, {6, 12, kRecordSize}, {5, 9, 40},
                   {2, 13, kRecordSize}, {2, 12, 20}};
    for (const auto& c : refused) {
        slot.FieldNumbers[0] = c.field;
        slot.KeyLength = c.keyLength;
        TKeyLayout layout;
        EXPECT_EQ(makeKeyLayout(slot, columns, c.recordSize, layout), storecode::kHeaderCorrupt)
            << c.field << " " << c.keyLength;
    }
}

TEST(KeyForm, SystemKeysSortActiveBeforeDeletedThenById) {
    std::uint8_t a[5], b[5], c[5];
    buildSystemKey(0, 7, a);
    buildSystemKey(0, 300, b);
    buildSystemKey(1, 2, c);
    EXPECT_EQ(std::vector<std::uint8_t>(a, a + 5), (std::vector<std::uint8_t>{0, 0x80, 0, 0, 7}));
    EXPECT_LT(std::memcmp(a, b, 5), 0);
    EXPECT_LT(std::memcmp(b, c, 5), 0);
}

}  // namespace
