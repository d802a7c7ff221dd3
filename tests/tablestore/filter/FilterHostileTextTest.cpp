// Texts built to hurt: deep nesting, long chains and large constants give a result or the
// filter error, never a stack overflow, and take time in proportion to their length.

#include <gtest/gtest.h>

#include <string>

#include "FilterTestTable.h"
#include "tablestore/filter/ExpressionParser.h"
#include "tablestore/filter/FilterTokenizer.h"

namespace wispel {
namespace {

std::string repeat(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(FilterHostileText, HundredThousandParenthesesAreRefused) {
    TestTable table;
    EXPECT_EQ(table.select(repeat("(", 100000) + "Active" + repeat(")", 100000)),
              "error 10051: Expression nested too deeply at '(' in filter expression");
    EXPECT_EQ(table.select(repeat("UPPER(", 100000)),
              "error 10051: Expression nested too deeply at '(' in filter expression");
}

TEST(FilterHostileText, NestingUpToTheBoundWorks) {
    TestTable table;
    const int depth = kMaxFilterNesting;
    EXPECT_EQ(table.select(repeat("(", depth) + "Active" + repeat(")", depth)), "1,4,5");
    EXPECT_EQ(table.select(repeat("(", depth + 1) + "Active" + repeat(")", depth + 1)),
              "error 10051: Expression nested too deeply at '(' in filter expression");
}

TEST(FilterHostileText, HundredThousandNotsAreRefused) {
    TestTable table;
    EXPECT_EQ(table.select(repeat("NOT ", 100000) + "Active"),
              "error 10051: Unknown or unexpected symbol 'NOT' in filter expression");
    EXPECT_EQ(table.select(repeat("NOT (", 100000) + "Active" + repeat(")", 100000)),
              "error 10051: Expression nested too deeply at '(' in filter expression");
}

TEST(FilterHostileText, LongChainsEvaluateWithoutRecursion) {
    TestTable table;
    EXPECT_EQ(table.select("Update = 0" + repeat(" + 0", 100000)), "5");
    EXPECT_EQ(table.select("Active" + repeat(" AND Active", 80000)), "1,4,5");
    // Shorter, as the suite runs without optimisation: chains of every operator kind.
    EXPECT_EQ(table.select("Update = 1" + repeat(" OR Update = 1", 10000) + " OR Update = 20"),
              "2");
    EXPECT_EQ(table.select("Name = 'x'" + repeat(" || 'x'", 10000)), "");
    EXPECT_EQ(table.select("Update IN (" + repeat("1, ", 10000) + "10)"), "1");
}

TEST(FilterHostileText, GrowingTextsStopAtTheirBound) {
    TestTable table;
    // Each REPLACE makes the note ten times longer; past the bound the value is NULL.
    std::string text = "Note";
    for (int i = 0; i < 8; ++i) text = "REPLACE('a' WITH 'aaaaaaaaaa' IN " + text + ")";
    EXPECT_EQ(table.select(text + " IS NULL"), "2,3,4,5");  // the notes that hold an a
    EXPECT_EQ(table.select("REPLACE('a' WITH 'aa' IN Note) = 'aa%b_c'"), "4");
}

TEST(FilterHostileText, HugeTokensAreQuotedShort) {
    TestTable table;
    const std::string result = table.select("Active = TRUE " + repeat("x", 100000));
    EXPECT_EQ(result.rfind("error 10051: Unknown or unexpected symbol 'xxx", 0), 0u);
    EXPECT_LT(result.size(), 400u);
    // "error 10051: Missing single quote after '" + 255 bytes + "' in filter expression"
    EXPECT_EQ(table.select("Name = '" + repeat("y", 100000)).size(), 40u + 255u + 23u);
    EXPECT_EQ(table.select("[" + repeat("z", 100000) + "] = 1").substr(0, 36),
              "error 10051: Invalid column name 'zz");
}

TEST(FilterHostileText, TextsBeyondAMebibyteAreRefused) {
    TestTable table;
    const std::string blanks(kMaxFilterText - 6, ' ');
    EXPECT_EQ(table.select(blanks + "Active"), "1,4,5");
    EXPECT_EQ(table.select(blanks + " Active"),
              "error 10051: Filter text too long in filter expression");
}

}  // namespace
}  // namespace wispel
