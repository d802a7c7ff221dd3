#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FilterTestTable.h"
#include "tablestore/errors/StoreErrorTexts.h"
#include "tablestore/filter/FilterList.h"

namespace wispel {
namespace {

std::unique_ptr<TFilter> expression(const TestTable& table, const char* text) {
    std::unique_ptr<TFilter> made;
    std::string message;
    EXPECT_EQ(TFilter::create(text, table.columns(), table.recordSize(), {}, {}, made, message),
              storecode::kOk)
        << message;
    return made;
}

TEST(FilterList, SixtyFifthFilterIsRefused) {
    TestTable table;
    TFilterList list;
    TFilterHandle handle = 0;
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(list.add(expression(table, "Active"), handle), storecode::kOk);
    EXPECT_EQ(list.add(expression(table, "Active"), handle), storecode::kTooManyFilters);
    EXPECT_EQ(list.add(std::make_unique<TFilter>(nullptr), handle), storecode::kTooManyFilters);
    EXPECT_EQ(list.size(), 64u);
    EXPECT_EQ(storeErrorText(storecode::kTooManyFilters, "Sites.DAT"),
              "Too many filters defined for table 'Sites.DAT'");
}

TEST(FilterList, HandlesNotHeldAreRefused) {
    TestTable table;
    TFilterList list;
    TFilterHandle handle = 0;
    ASSERT_EQ(list.add(expression(table, "Active"), handle), storecode::kOk);
    const TRecordsBitmap all(table.recordCount(), true);
    for (TFilterHandle wrong : {TFilterHandle{0}, handle + 1}) {
        EXPECT_EQ(list.attach(wrong, all, table), storecode::kInvalidFilterHandle);
        EXPECT_EQ(list.detach(wrong), storecode::kInvalidFilterHandle);
        EXPECT_EQ(list.free(wrong), storecode::kInvalidFilterHandle);
    }
    ASSERT_EQ(list.free(handle), storecode::kOk);
    // A freed handle stays invalid, even after a new filter takes its place.
    TFilterHandle next = 0;
    ASSERT_EQ(list.add(expression(table, "Active"), next), storecode::kOk);
    EXPECT_NE(next, handle);
    EXPECT_EQ(list.attach(handle, all, table), storecode::kInvalidFilterHandle);
    EXPECT_EQ(list.free(handle), storecode::kInvalidFilterHandle);
    EXPECT_EQ(storeErrorText(storecode::kInvalidFilterHandle, "Sites.DAT"),
              "Invalid filter handle specified for table 'Sites.DAT'");
}

TEST(FilterList, AttachedFiltersNarrowEachOther) {
    TestTable table;
    TFilterList list;
    TFilterHandle active = 0, big = 0;
    ASSERT_EQ(list.add(expression(table, "Active"), active), storecode::kOk);
    ASSERT_EQ(list.add(expression(table, "Update >= 5"), big), storecode::kOk);
    const TRecordsBitmap all(table.recordCount(), true);

    ASSERT_EQ(list.attach(active, all, table), storecode::kOk);
    EXPECT_EQ(listMembers(list.find(active)->bitmap()), "1,4,5");
    // The second filter starts from what the first let through and reads only those.
    table.reads.clear();
    ASSERT_EQ(list.attach(big, all, table), storecode::kOk);
    EXPECT_EQ(table.reads, (std::vector<std::uint32_t>{1, 4, 5}));
    TRecordsBitmap visible = all;
    list.combine(visible);
    EXPECT_EQ(listMembers(visible), "1,4");

    ASSERT_EQ(list.detach(active), storecode::kOk);
    visible = all;
    list.combine(visible);
    EXPECT_EQ(listMembers(visible), "1,4");  // the second keeps its own bitmap
    ASSERT_EQ(list.detach(big), storecode::kOk);
    EXPECT_FALSE(list.anyAttached());
    visible = all;
    list.combine(visible);
    EXPECT_EQ(listMembers(visible), "1,2,3,4,5,6");
}

TEST(FilterList, StartsFromTheCursorsRecordSet) {
    TestTable table;
    TFilterList list;
    TFilterHandle handle = 0;
    ASSERT_EQ(list.add(expression(table, "Active = TRUE"), handle), storecode::kOk);
    TRecordsBitmap range(table.recordCount());
    for (std::uint32_t n = 2; n <= 4; ++n) range.include(n);
    table.reads.clear();
    ASSERT_EQ(list.attach(handle, range, table), storecode::kOk);
    EXPECT_EQ(listMembers(list.find(handle)->bitmap()), "4");
    EXPECT_EQ(table.reads, (std::vector<std::uint32_t>{2, 3, 4}));
}

TEST(FilterList, ExpressionFiltersComeBeforeCallbacks) {
    TestTable table;
    TFilterList list;
    std::vector<std::uint32_t> seen;
    TFilterHandle callback = 0, active = 0;
    ASSERT_EQ(list.add(std::make_unique<TFilter>([&](std::uint32_t n, const std::uint8_t*) {
                  seen.push_back(n);
                  return n != 4;
              }),
                       callback),
              storecode::kOk);
    ASSERT_EQ(list.add(expression(table, "Active"), active), storecode::kOk);
    const TRecordsBitmap all(table.recordCount(), true);
    ASSERT_EQ(list.attach(callback, all, table), storecode::kOk);
    ASSERT_EQ(list.attach(active, all, table), storecode::kOk);
    // Re-applied after a change, the expression runs first and the callback sees only
    // the records it let through.
    seen.clear();
    ASSERT_EQ(list.reapply(all, table), storecode::kOk);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{1, 4, 5}));
    TRecordsBitmap visible = all;
    list.combine(visible);
    EXPECT_EQ(listMembers(visible), "1,5");
}

TEST(FilterList, FailedReadLeavesTheFilterDetached) {
    TestTable table;
    TFilterList list;
    TFilterHandle handle = 0;
    ASSERT_EQ(list.add(expression(table, "Active"), handle), storecode::kOk);
    const TRecordsBitmap tooMany(table.recordCount() + 1, true);  // record 7 does not exist
    EXPECT_EQ(list.attach(handle, tooMany, table), storecode::kRecordsCorrupt);
    EXPECT_FALSE(list.find(handle)->isAttached());
}

TEST(Filter, FailedCreationKeepsWhatTheCallerHad) {
    TestTable table;
    std::unique_ptr<TFilter> filter = expression(table, "Active");
    const TFilter* before = filter.get();
    std::string message;
    EXPECT_EQ(TFilter::create("Name = 'abc", table.columns(), table.recordSize(), {}, {},
                              filter, message),
              storecode::kFilterError);
    EXPECT_EQ(filter.get(), before);
    // The component layer shows it as 10051 with the table's name.
    StoreErrorNames names;
    names.table = "Sites.DAT";
    names.detail = message;
    EXPECT_EQ(storeErrorText(storecode::kFilterError, names),
              "Filter error for table 'Sites.DAT' - Missing single quote after 'abc' in filter "
              "expression");
}

TEST(Filter, MemoTextsThatCannotBeReadHaveNoValue) {
    TestTable table;
    table.memosReadable = false;
    EXPECT_EQ(table.select("Memo IS NULL"), "1,2,3,4,5,6");
}

TEST(Filter, ColumnsBeyondTheRecordAreRefused) {
    TestTable table;
    std::unique_ptr<TFilter> made;
    std::string message;
    EXPECT_EQ(TFilter::create("Active", table.columns(), table.recordSize() - 1, {}, {}, made,
                              message),
              storecode::kHeaderCorrupt);
}

TEST(Filter, IndexCapableExpressionsAreMarked) {
    TestTable table;
    EXPECT_TRUE(expression(table, "Active = TRUE")->canUseIndexes());
    EXPECT_TRUE(expression(table, "TRUE = Active")->canUseIndexes());
    EXPECT_TRUE(expression(table, "Update > 3 AND Name = 'a'")->canUseIndexes());
    EXPECT_FALSE(expression(table, "Active")->canUseIndexes());
    EXPECT_FALSE(expression(table, "Update + 1 > 3")->canUseIndexes());
}

}  // namespace
}  // namespace wispel
