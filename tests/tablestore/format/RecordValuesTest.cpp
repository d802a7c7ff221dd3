#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "core/DateTime.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/RecordValues.h"

using namespace wispel;

namespace {

ColumnDescriptor column(std::uint8_t type, std::uint16_t offset, std::uint8_t size = 0) {
    ColumnDescriptor c;
    c.type = type;
    c.size = size;
    c.width = storedWidth(type, size);
    c.offset = offset;
    return c;
}

}  // namespace

TEST(ColumnDescriptor, RoundTripsThroughItsBytes) {
    ColumnDescriptor c = column(enginetype::kText, 9, 10);
    c.fieldNumber = 2;
    c.name = "Name";
    c.description = "Site name";
    c.required = true;
    c.textCase = textcase::kUpper;
    c.minimum = "A";
    c.maximum = "zz";
    c.defaultValue = "x";
    c.hidden = 1;
    unsigned char bytes[kColumnDescriptorSize];
    std::memset(bytes, 0xAA, sizeof bytes);
    writeColumnDescriptor(c, bytes);
    EXPECT_EQ(readColumnDescriptor(bytes), c);
    EXPECT_EQ(bytes[2], 4);  // name length
    EXPECT_EQ(bytes[88], 11);
    EXPECT_EQ(bytes[767], 0);  // reserved bytes are written as zero
}

TEST(ColumnDescriptor, StoredWidthByType) {
    struct Case {
        std::uint8_t type, size, width;
    };
    const Case cases[] = {{1, 10, 11}, {1, 250, 251}, {2, 0, 4},  {3, 0, 8},  {4, 0, 2},
                          {5, 0, 2},   {6, 0, 4},     {7, 0, 8},  {8, 0, 8},  {9, 17, 17},
                          {10, 0, 4},  {11, 0, 8},    {12, 0, 2}, {13, 0, 4}, {14, 0, 10},
                          {15, 250, 250}, {16, 0, 0}, {17, 0, 0}, {23, 0, 0}, {0, 0, 0}};
    for (const auto& c : cases) EXPECT_EQ(storedWidth(c.type, c.size), c.width) << int(c.type);
}

TEST(RecordValues, EncodeEachTypeLittleEndianWithNullByte) {
    RecordImage record(64, 0);
    auto word = column(enginetype::kSmallint, 9);
    setInt16Value(record.data(), word, -2);
    EXPECT_EQ(record[9], 1);
    EXPECT_EQ(record[10], 0xFE);
    EXPECT_EQ(record[11], 0xFF);
    EXPECT_EQ(int16Value(record.data(), word), -2);

    auto integer = column(enginetype::kInteger, 12);
    setInt32Value(record.data(), integer, 0x01020304);
    EXPECT_EQ(record[13], 0x04);
    EXPECT_EQ(record[16], 0x01);

    auto flag = column(enginetype::kBoolean, 17);
    setBooleanValue(record.data(), flag, true);
    EXPECT_EQ(record[18], 1);
    EXPECT_TRUE(booleanValue(record.data(), flag));

    auto real = column(enginetype::kFloat, 20);
    setDoubleValue(record.data(), real, 1.0);
    EXPECT_EQ(record[28], 0x3F);  // 0x3FF0000000000000, last byte first
    EXPECT_EQ(record[27], 0xF0);
    EXPECT_EQ(doubleValue(record.data(), real), 1.0);

    clearValue(record.data(), integer);
    EXPECT_FALSE(hasValue(record.data(), integer));
    for (int i = 12; i < 17; ++i) EXPECT_EQ(record[i], 0) << i;
    EXPECT_EQ(int32Value(record.data(), integer), 0);
}

TEST(RecordValues, TextIsCutTrimmedAndEmptyMeansNoValue) {
    RecordImage record(32, 0xEE);
    auto name = column(enginetype::kText, 9, 10);
    setTextValue(record.data(), name, "Example site");
    EXPECT_EQ(textValue(record.data(), name), "Example si");
    setTextValue(record.data(), name, "ab  ");
    EXPECT_EQ(textValue(record.data(), name), "ab");
    EXPECT_EQ(record[12], 0);  // zero-padded to the end of the value
    EXPECT_EQ(record[20], 0);
    setTextValue(record.data(), name, "   ");
    EXPECT_FALSE(hasValue(record.data(), name));
    for (int i = 9; i < 21; ++i) EXPECT_EQ(record[i], 0) << i;
    // A cut never splits a character: nine bytes then a two-byte one.
    setTextValue(record.data(), name, "abcdefghi\xC3\xA9");
    EXPECT_EQ(textValue(record.data(), name), "abcdefghi");
    // A value missing its terminator stops at the width.
    std::memset(record.data() + 10, 'x', 11);
    EXPECT_EQ(textValue(record.data(), name).size(), 10u);
    // Stored text ends at its first zero byte: what follows it, blanks before it included,
    // is not kept, and a text that starts with one holds no value.
    setTextValue(record.data(), name, std::string_view("ab \0cd", 6));
    EXPECT_EQ(textValue(record.data(), name), "ab");
    EXPECT_EQ(record[12], 0);
    setTextValue(record.data(), name, std::string_view("\0x", 2));
    EXPECT_FALSE(hasValue(record.data(), name));
}

TEST(RecordValues, RecordHeaderAndAutoIncrementColumn) {
    RecordImage record(16, 0);
    writeRecordHeader({recordstatus::kDeleted, 3, 2147483647}, record.data());
    EXPECT_EQ(record[0], 1);
    EXPECT_EQ(record[1], 3);
    EXPECT_EQ(record[8], 0x7F);
    EXPECT_EQ(readRecordHeader(record.data()), (RecordHeader{1, 3, 2147483647}));
    ColumnDescriptor id = column(enginetype::kInteger, kAutoIncValueOffset);
    id.subtype = enginesubtype::kAutoInc;
    EXPECT_TRUE(hasValue(record.data(), id));
    EXPECT_EQ(int32Value(record.data(), id), 2147483647);
}

TEST(RecordValues, DatesTimesAndTimestamps) {
    EXPECT_EQ(dateFromDateTime(encodeDateTime(1, 1, 1)), 1);
    EXPECT_EQ(dateFromDateTime(encodeDateTime(1899, 12, 30, 13)), 693594);
    EXPECT_EQ(dateToDateTime(693594), 0.0);
    EXPECT_EQ(timeFromDateTime(encodeDateTime(2000, 1, 1, 12, 0, 0, 5)), 43200005);
    EXPECT_DOUBLE_EQ(timeToDateTime(43200000), 0.5);
    EXPECT_EQ(timestampFromDateTime(encodeDateTime(1, 1, 2, 0, 0, 1)), 86401000.0);
    TDateTime t = encodeDateTime(2026, 12, 10, 15, 30, 0, 250);
    EXPECT_NEAR(timestampToDateTime(timestampFromDateTime(t)), t, 1e-9);
    EXPECT_EQ(dateFromDateTime(1e300), INT32_MAX);
    EXPECT_EQ(dateFromDateTime(-1e300), INT32_MIN);
}
