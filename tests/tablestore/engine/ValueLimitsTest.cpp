// Values outside a column's stored minimum or maximum are refused when a row is posted.

#include <gtest/gtest.h>

#include <fstream>

#include "tablestore/errors/StoreEngineError.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

using ValueLimits = SitesTableTest;

// Gives column `number` of the table's data file a minimum and a maximum.
void setLimits(const std::string& path, int number, const std::string& minimum,
               const std::string& maximum) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    unsigned char bytes[kColumnDescriptorSize];
    const std::streamoff at = 127 + (number - 1) * static_cast<std::streamoff>(kColumnDescriptorSize);
    file.seekg(at);
    file.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    ColumnDescriptor column = readColumnDescriptor(bytes);
    column.minimum = minimum;
    column.maximum = maximum;
    writeColumnDescriptor(column, bytes);
    file.seekp(at);
    file.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

int postCode(TStoreTable& table, int update, const char* name) {
    table.StartInsert();
    table.FieldNamed("Update").SetIntegerValue(update);
    table.FieldNamed("Name").SetTextValue(name);
    try {
        table.PostRow();
    } catch (const EStoreEngineError& e) {
        table.CancelRow();
        return e.ErrorCode();
    }
    return 0;
}

}  // namespace

TEST_F(ValueLimits, BelowMinimumAndAboveMaximumAreRefused) {
    createSites();
    setLimits(dirName_ + "Sites.DAT", 4, "1", "1440");
    setLimits(dirName_ + "Sites.DAT", 2, "B", "Y");
    auto table = sitesTable();
    table->Open();
    EXPECT_EQ(postCode(*table, 0, "Mid"), 9730);
    EXPECT_EQ(postCode(*table, 1441, "Mid"), 9731);
    EXPECT_EQ(postCode(*table, 60, "A"), 9730);
    EXPECT_EQ(postCode(*table, 60, "Z"), 9731);
    EXPECT_EQ(postCode(*table, 1, "B"), 0);
    EXPECT_EQ(postCode(*table, 1440, "Mid"), 0);
    EXPECT_EQ(table->RecordCount(), 2);
}
