#include <gtest/gtest.h>

#include "FormatTestSupport.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/TableCreation.h"

using namespace wispel;
using namespace wispel::formattest;

namespace {

ColumnDefinition text(std::string name, int size) {
    return {std::move(name), enginetype::kText, 0, size, false};
}

std::vector<ColumnDefinition> many(std::size_t count, const ColumnDefinition& each) {
    std::vector<ColumnDefinition> definitions;
    for (std::size_t i = 0; i < count; ++i) {
        definitions.push_back(each);
        definitions.back().name = "F" + std::to_string(i);
    }
    return definitions;
}

}  // namespace

TEST(TableCreation, SitesLayout) {
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    std::size_t failed = 99;
    ASSERT_EQ(buildTableLayout(sitesDefinitions(), header, columns, failed), storecode::kOk);
    EXPECT_EQ(header.recordSize, 281);
    EXPECT_EQ(header.columnCount, 5);
    EXPECT_TRUE(columns[0].isAutoInc());
    EXPECT_EQ(columns[0].size, 0);
    EXPECT_EQ(columns[2].size, 250);
    EXPECT_EQ(columns[4].type, enginetype::kBoolean);
}

TEST(TableCreation, LimitsGiveTheirCodes) {
    ColumnDefinition blob{"B", enginetype::kBlob, enginesubtype::kMemo, 0, false};
    ColumnDefinition autoInc{"A", enginetype::kInteger, enginesubtype::kAutoInc, 0, false};
    struct Case {
        const char* what;
        std::vector<ColumnDefinition> definitions;
        StoreResult expected;
        std::size_t failedColumn;
    };
    const Case cases[] = {
        {"no columns", {}, storecode::kFieldLimits, 0},
        {"1025 columns", many(1025, text("x", 1)), storecode::kFieldLimits, 0},
        {"1024 columns", many(1024, text("x", 1)), storecode::kOk, 0},
        {"text of 0", {text("A", 1), text("B", 0)}, storecode::kFieldLimits, 1},
        {"text of 251", {text("A", 251)}, storecode::kFieldLimits, 0},
        {"bytes of 251", {{"A", enginetype::kBytes, 0, 251, false}}, storecode::kFieldLimits, 0},
        {"name repeated", {text("Name", 1), text("NAME", 1)}, storecode::kInvalidFieldName, 1},
        {"name empty", {text("", 1)}, storecode::kInvalidFieldName, 0},
        {"name of 31", {text(std::string(31, 'a'), 1)}, storecode::kInvalidFieldName, 0},
        {"name with digit first", {text("1st", 1)}, storecode::kInvalidFieldName, 0},
        {"type 0", {{"A", 0, 0, 0, false}}, storecode::kInvalidFieldDefinition, 0},
        {"type 16", {{"A", 16, 0, 0, false}}, storecode::kInvalidFieldDefinition, 0},
        {"two auto-increments", {autoInc, {"B", 6, 29, 0, false}}, storecode::kFieldLimits, 1},
        {"65 blob columns", many(65, blob), storecode::kBlobFieldLimits, 64},
        {"64 blob columns", many(64, blob), storecode::kOk, 0},
        // 260 columns of 251 + 1 bytes: 65529 bytes, one more column passes 65535.
        {"record of 65529", many(260, text("x", 250)), storecode::kOk, 0},
        {"record past 65535", many(261, text("x", 250)), storecode::kRecordTooLarge, 0},
    };
    for (const auto& c : cases) {
        DataHeader header;
        std::vector<ColumnDescriptor> columns;
        std::size_t failed = 99;
        EXPECT_EQ(buildTableLayout(c.definitions, header, columns, failed), c.expected)
            << c.what;
        if (c.expected != storecode::kOk) {
            EXPECT_EQ(failed, c.failedColumn) << c.what;
        }
    }
    EXPECT_EQ(checkIndexLimits(30, 16), storecode::kOk);
    EXPECT_EQ(checkIndexLimits(31, 1), storecode::kIndexLimits);
    EXPECT_EQ(checkIndexLimits(0, 17), storecode::kIndexLimits);
}

TEST(TableCreation, EveryStoredTypeRoundTripsThroughTheChecks) {
    std::vector<ColumnDefinition> definitions;
    for (std::uint8_t type = 1; type <= enginetype::kDataSet; ++type) {
        if (type == 16) continue;
        int size = hasDeclaredSize(type) ? 7 : (type == enginetype::kBcd ? 2 : 0);
        definitions.push_back({"C" + std::to_string(type), type, 0, size, type == 2});
    }
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    std::unique_ptr<StoreFile> file;
    std::size_t failed = 0;
    ASSERT_EQ(createDataFile(memoryFileSystem(), "MEMORY/types.DAT", definitions, fixtureTime(),
                             header, columns, file, failed),
              storecode::kOk);
    DataHeader readHeader;
    std::vector<ColumnDescriptor> readColumns;
    EXPECT_EQ(loadDataFile(*file, readHeader, readColumns), storecode::kOk);
    EXPECT_EQ(readColumns, columns);
    EXPECT_EQ(readHeader.blobColumnCount, 1);
    EXPECT_TRUE(readColumns[1].required);
    EXPECT_EQ(readColumns[7].decimals, 2);  // BCD
    file.reset();
    memoryFileSystem().remove("MEMORY/types.DAT");
}
