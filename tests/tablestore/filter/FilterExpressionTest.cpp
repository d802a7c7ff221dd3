// Filter texts against the six records of TestTable (FilterTestTable.cpp):
//
//   #  Name   Update Active Price   Born        At            Stamp                Small  Note
//   1  abc    10     true   2.5     2024-01-05  12:30:00      2024-01-05 12:30:00  -3     hello world
//   2  ABC    20     false  -1.25   1999-12-31  08:00:00      1999-12-31 23:59:59  7      "  padded"
//   3  abd    -      -      -       -           -             -                    -      -
//   4  -      5      true   100     2000-02-29  00:00:00      2000-02-29 00:00:00  0      a%b_c
//   5  ab*    0      true   0       2024-01-05  23:59:59.500  2024-01-06 00:00:00  32767  xxabxxab
//   6  Ärger  -7     false  3.14159 1900-03-01  06:15:30      1900-03-01 06:15:30  -32768 Ärger
//
// ("-": no value). ID is 1 to 6. Memo is "a long memo text" in 1, none in 2, "memo <n>" in
// the others. Each case gives the selected record numbers or the exact
// error, "error 10051: " and the text that follows "Filter error for table '...' - ".

#include <gtest/gtest.h>

#include <string>

#include "FilterTestTable.h"

namespace wispel {
namespace {

struct Case {
    const char* filter;
    const char* expected;
    TFilterOptions options = {};
};

constexpr TFilterOptions kCaseInsensitive{true, false};
constexpr TFilterOptions kNoPartial{false, true};
constexpr TFilterOptions kBoth{true, true};

void PrintTo(const Case& c, std::ostream* os) { *os << c.filter; }

class FilterSelects : public ::testing::TestWithParam<Case> {};

TEST_P(FilterSelects, GivesTheExpectedRecordsOrError) {
    TestTable table;
    const Case& c = GetParam();
    EXPECT_EQ(table.select(c.filter, c.options), c.expected) << c.filter;
}

#define ERR(text) "error 10051: " text
#define ERRIN(text) "error 10051: " text " in filter expression"

// The cases the filter language's description names.
INSTANTIATE_TEST_SUITE_P(EdgeCases, FilterSelects, ::testing::Values(
    Case{"Active = TRUE", "1,4,5"},
    Case{"TRUE = Active", "1,4,5"},
    Case{"active = true", "1,4,5"},
    Case{"Active", "1,4,5"},
    Case{"Update", ERR("filter expression must be a boolean expression")},
    Case{"Name = 'ab*'", "1,3,5"},
    Case{"Name = 'ab*'", "5", kNoPartial},
    Case{"Name = 'abc'", "1"},
    Case{"Name = 'abc'", "1,2", kCaseInsensitive},
    Case{"Name = NULL", "4"},
    Case{"NULL = Name", "4"},
    Case{"Name IS NULL", "4"},
    Case{"Name = 'abc", ERRIN("Missing single quote after 'abc'")},
    Case{"", ERR("filter expression is empty")},
    Case{"   ", ERR("filter expression is empty")},
    Case{" /* nothing */ ", ERR("filter expression is empty")},
    // Decided: text after a complete expression is refused.
    Case{"Active = TRUE Name", ERRIN("Unknown or unexpected symbol 'Name'")},
    Case{"Update = 1 = 1", ERRIN("Unknown or unexpected symbol '='")},
    Case{"Active)", ERRIN("Unknown or unexpected symbol ')'")}));

INSTANTIATE_TEST_SUITE_P(TextComparison, FilterSelects, ::testing::Values(
    Case{"Name = 'ab*'", "1,2,3,5", kCaseInsensitive},
    Case{"Name = 'AB*'", "5", kBoth},
    Case{"Name = 'AB*'", "", kNoPartial},
    Case{"Name <> 'ab*'", "2,4,6"},
    Case{"Name <> 'abc'", "2,3,4,5,6"},
    Case{"Name = '*'", "1,2,3,5,6"},
    Case{"Name = '\xC3\x84*'", "6"},
    Case{"Name = '\xC3\xA4RGER'", "6", kCaseInsensitive},
    Case{"Name = '\xC3\xA4RGER'", ""},
    Case{"'abc' = Name", "1"},
    Case{"Name < 'abc'", "2,5"},
    Case{"Name >= 'abd'", "3,6"},
    Case{"Name > 'ABC'", "1,3,5,6"},
    Case{"UPPER(Name) = 'ab*'", "", kNoPartial},
    Case{"UPPER(Name) = 'AB*'", "1,2,3,5"},
    Case{"Name = [Name]", "1,2,3,4,5,6"},
    Case{"Note = '  padded'", "2"}));

INSTANTIATE_TEST_SUITE_P(Comparisons, FilterSelects, ::testing::Values(
    Case{"Update = 10", "1"},
    Case{"Update <> 10", "2,3,4,5,6"},
    Case{"Update > 5", "1,2"},
    Case{"Update < 5", "5,6"},
    Case{"Update <= 5", "4,5,6"},
    Case{"Update >= 10", "1,2"},
    Case{"Update < = 5", "4,5,6"},
    Case{"Update < > 10", "2,3,4,5,6"},
    Case{"Update > = 10", "1,2"},
    Case{"5 < Update", "1,2"},
    Case{"5 >= Update", "4,5,6"},
    Case{"NOT (Update > 5)", "4,5,6"},
    Case{"Update = '10'", "1"},
    Case{"Update = ' 20 '", "2"},
    Case{"Update = 'x'", ERRIN("Type mismatch between 'Update' and ''x''")},
    Case{"Update = 10.0", "1"},
    Case{"Update = 1E1", "1"},
    Case{"Price = 2.5", "1"},
    Case{"Price = 25e-1", "1"},
    Case{"Price = .25E+1", "1"},
    Case{"Price > 3", "4,6"},
    Case{"Price = -1.25", "2"},
    Case{"Price = Update", "3,5"},
    Case{"Small = -32768", "6"},
    Case{"Small = 32767", "5"},
    Case{"ID = 3", "3"},
    Case{"ID > 4", "5,6"},
    Case{"Active = FALSE", "2,6"},
    Case{"Active = 1", "1,4,5"},
    Case{"Active = 'true'", "1,4,5"},
    Case{"Active <> TRUE", "2,3,6"},
    Case{"Active > FALSE", "1,4,5"},
    Case{"Born = '2024-01-05'", "1,5"},
    Case{"Born = '1/5/2024'", "1,5"},
    Case{"Born = '2024-02-30'", ERRIN("Type mismatch between 'Born' and ''2024-02-30''")},
    Case{"Born < '1950-01-01'", "6"},
    Case{"At = '08:00'", "2"},
    Case{"At > '12:00:00'", "1,5"},
    Case{"At = '23:59:59.5'", "5"},
    Case{"Stamp = '2024-01-05 12:30:00'", "1"},
    Case{"Stamp = '2024-01-06'", "5"},
    Case{"Stamp > Born", "1,2,5,6"},
    Case{"Stamp = Born", "3,4"},
    Case{"Born = Stamp", "3,4"},
    Case{"Name = 5", ""},
    Case{"Name = Update", ERRIN("Type mismatch between 'Name' and 'Update'")},
    Case{"Born = At", ERRIN("Type mismatch between 'Born' and 'At'")},
    Case{"Active = 'maybe'", ERRIN("Type mismatch between 'Active' and ''maybe''")},
    Case{"NULL = NULL", "1,2,3,4,5,6"},
    Case{"NULL <> NULL", ""}));

INSTANTIATE_TEST_SUITE_P(Predicates, FilterSelects, ::testing::Values(
    Case{"Name IS NOT NULL", "1,2,3,5,6"},
    Case{"Update IS NULL", "3"},
    Case{"Update BETWEEN 5 AND 10", "1,4"},
    Case{"Update NOT BETWEEN 5 AND 10", "2,5,6"},
    Case{"Price BETWEEN 0 AND 3", "1,5"},
    Case{"Born BETWEEN '2000-01-01' AND '2024-01-05'", "1,4,5"},
    Case{"Name BETWEEN 'a' AND 'b'", "1,3,5"},
    Case{"Update BETWEEN 1 OR 5",
         ERRIN("Expected AND operator in BETWEEN operator, instead found 'OR'")},
    Case{"Update IN (5, 20)", "2,4"},
    Case{"Update NOT IN (5, 20)", "1,3,5,6"},
    Case{"Update IN ('5', 7 + 13)", "2,4"},
    Case{"Name IN ('abc', NULL)", "1,4"},
    Case{"Update IN ()",
         ERRIN("You must provide at least one value as an operand of the IN operator ")},
    Case{"Update IN 5", ERRIN("Expected left parentheses after IN operator, instead found '5'")},
    Case{"Update NOT IN 5", ERRIN("Expected left parentheses for IN operator, instead found '5'")},
    Case{"Update IN (5, 6", ERRIN("Expected right parentheses after IN operator, instead found ''")},
    Case{"Update IN (5 6)", ERRIN("Expected right parentheses after IN operator, instead found '6'")},
    Case{"Update IN ('x')", ERRIN("Type mismatch between 'Update' and ''x''")},
    Case{"Name LIKE 'ab%'", "1,3,5"},
    Case{"Name LIKE 'a_c'", "1"},
    Case{"Name LIKE 'a_c'", "1,2", kCaseInsensitive},
    Case{"Name LIKE '%b%'", "1,3,5"},
    Case{"Name LIKE '%B%'", "1,2,3,5", kCaseInsensitive},
    Case{"Name NOT LIKE 'ab%'", "2,6"},
    Case{"Name LIKE '_rger'", "6"},
    Case{"Name LIKE '\xC3\xA4RGER'", "6", kCaseInsensitive},
    Case{"Name LIKE 'ab*'", "5"},
    Case{"Note LIKE 'a%b_c'", "4"},
    Case{"Note LIKE '%ab'", "5"},
    Case{"Note LIKE '%x%x%b'", "5"},
    Case{"Note LIKE '%'", "1,2,4,5,6"},
    Case{"Note LIKE ''", ""},
    Case{"Name LIKE NULL", ""},
    Case{"Update LIKE '1%'", ERRIN("Type mismatch between 'Update' and ''1%''")},
    Case{"Update IS 5", ERRIN("Unknown or unexpected symbol '5'")},
    Case{"Update NOT 5", ERRIN("Unknown or unexpected symbol '5'")}));

INSTANTIATE_TEST_SUITE_P(Logic, FilterSelects, ::testing::Values(
    Case{"NOT Active", "2,6"},
    Case{"Active AND Update > 5", "1"},
    Case{"Active OR Update > 5", "1,2,4,5"},
    Case{"Active = TRUE AND Name = 'abc' OR Update = 20", "1,2"},
    Case{"Active = TRUE AND (Name = 'abc' OR Update = 20)", "1"},
    Case{"Update = 20 OR Update = 10 AND Active", "1,2"},
    Case{"Active OR NULL", "1,4,5"},
    Case{"NOT (Active AND NULL)", "2,6"},
    Case{"NOT (Active OR NULL)", ""},
    Case{"NOT Active = FALSE", "1,3,4,5"},
    Case{"NOT NOT Active", ERRIN("Unknown or unexpected symbol 'NOT'")},
    Case{"NOT Update", ERRIN("Type mismatch between 'NOT' and 'Update'")},
    Case{"Active AND Update", ERRIN("Type mismatch between 'Active' and 'Update'")},
    Case{"Active AND", ERRIN("Unknown or unexpected symbol ''")},
    Case{"TRUE", "1,2,3,4,5,6"},
    Case{"FALSE", ""},
    Case{"NULL", ERR("filter expression must be a boolean expression")}));

INSTANTIATE_TEST_SUITE_P(Arithmetic, FilterSelects, ::testing::Values(
    Case{"Update + 1 = 11", "1"},
    Case{"Update - 10 = 10", "2"},
    Case{"Update * 2 = 40", "2"},
    Case{"Update / 4 = 2.5", "1"},
    Case{"Update / 0 IS NULL", "1,2,3,4,5,6"},
    Case{"Update + NULL IS NULL", "1,2,3,4,5,6"},
    Case{"NULL - Update IS NULL", "1,2,3,4,5,6"},
    Case{"-Update = 7", "6"},
    Case{"+Update = 5", "4"},
    Case{"- Price = 1.25", "2"},
    Case{"2 + 3 * Update = 32", "1"},
    Case{"(2 + 3) * Update = 50", "1"},
    Case{"Update - 5 - 5 = 0", "1"},
    Case{"Update / 2 / 5 = 1", "1"},
    Case{"Update + Price = 12.5", "1"},
    Case{"Small * Small * Small * Small * Small = 0", "4"},
    Case{"9223372036854775807 + Update > 0", "5,6"},
    Case{"Name || 'x' = 'abcx'", "1"},
    Case{"Name + 'x' = 'abcx'", "1"},
    Case{"Name || '''' = 'abc'''", "1"},
    Case{"Name || NULL IS NULL", "1,2,3,4,5,6"},
    Case{"Name = #97 || \"bc\"", "1"},
    Case{"Born + 1 = '2024-01-06'", "1,5"},
    Case{"1 + Born = '2024-01-06'", "1,5"},
    Case{"Born - 366 = '2023-01-04'", "1,5"},
    Case{"Born - Born = 0", "1,2,4,5,6"},
    Case{"Stamp + 0.5 = '2024-01-06 00:30:00'", "1"},
    Case{"Stamp - Stamp = 0", "1,2,4,5,6"},
    Case{"Name | 'x' = 'y'",
         ERRIN("Second concatenation symbol '|' expected after first concatentation symbol, "
               "instead found ''x''")},
    Case{"Update || 'x' = 'y'", ERRIN("Type mismatch between 'Update' and ''x''")},
    Case{"Name + Update = 1", ERRIN("Type mismatch between 'Name' and 'Update'")},
    Case{"-Name = 1", ERRIN("Type mismatch between '-' and 'Name'")},
    Case{"Active * 2 = 2", ERRIN("Type mismatch between 'Active' and '2'")},
    Case{"Born + Born = Born", ERRIN("Type mismatch between 'Born' and 'Born'")},
    Case{"Name - 'a' = 'b'", ERRIN("Type mismatch between 'Name' and ''a''")}));

INSTANTIATE_TEST_SUITE_P(Functions, FilterSelects, ::testing::Values(
    Case{"UPPER(Name) = 'ABC'", "1,2"},
    Case{"LOWER(Name) = 'abc'", "1,2"},
    Case{"UPPER(Name) = '\xC3\x84RGER'", "6"},
    Case{"LOWER(NULL) IS NULL", "1,2,3,4,5,6"},
    Case{"upper(name) = 'ABD'", "3"},
    Case{"UPPER(Update) = 'X'",
         ERRIN("Expression argument of UPPER function must be a string or memo type")},
    Case{"ABS(Update) = 7", "6"},
    Case{"ABS(Price) = 1.25", "2"},
    Case{"ABS(Name) = 1",
         ERRIN("Expression argument of ABS function must be an integer or floating-point type")},
    Case{"ROUND(Price TO 2) = 3.14", "6"},
    Case{"ROUND(Price) = 3", "1,6"},
    Case{"ROUND(Price TO 0) = -1", "2"},
    Case{"ROUND(Price TO 1) = -1.3", "2"},
    Case{"ROUND(Price TO 33) = 1",
         ERRIN("Decimal places argument of ROUND function must be an integer constant between 0 "
               "and 32")},
    Case{"ROUND(Price TO Update) = 1",
         ERRIN("Decimal places argument of ROUND function must be an integer constant between 0 "
               "and 32")},
    Case{"ROUND(Update TO 1) = 1",
         ERRIN("Expression argument of ROUND function must be a floating-point type")},
    Case{"SUBSTRING(Name FROM 2 FOR 2) = 'bc'", "1"},
    Case{"SUBSTRING(Name FROM 2) = 'rger'", "6"},
    Case{"SUBSTRING(Name FROM 1 FOR 1) = '\xC3\x84'", "6"},
    Case{"SUBSTRING(Name FROM 9) = ''", "1,2,3,5,6"},
    Case{"SUBSTRING(Name FROM 0) = 'x'",
         ERRIN("Starting position argument of SUBSTRING function must be an integer constant "
               "greater than 0")},
    Case{"SUBSTRING(Name FROM 1 FOR 0) = 'x'",
         ERRIN("Length argument of SUBSTRING function must be an integer constant greater than 0")},
    Case{"SUBSTRING(Name 2) = 'x'",
         ERRIN("FROM keyword expected after SUBSTRING function argument, instead found '2'")},
    Case{"SUBSTRING(Price FROM 1) = 'x'",
         ERRIN("Expression argument of SUBSTRING function must be a string or memo type")},
    Case{"TRIM(LEADING ' ' FROM Note) = 'padded'", "2"},
    Case{"TRIM(BOTH 'x' FROM Note) = 'abxxab'", "5"},
    Case{"TRIM(TRAILING 'b' FROM Note) = 'xxabxxa'", "5"},
    Case{"TRIM(BOTH '\xC3\x84' FROM Name) = 'rger'", "6"},
    Case{"TRIM(' ' FROM Note) = 'x'",
         ERRIN("LEADING/TRAILING/BOTH keyword expected after TRIM function left parentheses, "
               "instead found '' ''")},
    Case{"TRIM(BOTH 'xy' FROM Note) = 'a'",
         ERRIN("Trim character argument of TRIM function must be a single-character constant")},
    Case{"TRIM(BOTH ' ' Note) = 'a'",
         ERRIN("FROM keyword expected after TRIM function argument, instead found 'Note'")},
    Case{"POS('b' IN Name) = 2", "1,3,5"},
    Case{"POS('z' IN Name) = 0", "1,2,3,5,6"},
    Case{"POS('ger' IN Name) = 3", "6"},
    Case{"POS('' IN Note) = 1", "1,2,4,5,6"},
    Case{"POS(Name IN Note) = 1",
         ERRIN("Search string argument of POS function must be a string constant")},
    Case{"POS('a' Note) = 1",
         ERRIN("IN keyword expected after POS function argument, instead found 'Note'")},
    Case{"OCCURS('ab' IN Note) = 2", "5"},
    Case{"OCCURS('aa' IN 'aaaa') = 2", "1,2,3,4,5,6"},
    Case{"OCCURS('' IN Note) = 0", "1,2,4,5,6"},
    Case{"OCCURS(1 IN Note) = 0",
         ERRIN("Search string argument of OCCURS function must be a string constant")},
    Case{"REPLACE('ab' WITH 'Z' IN Note) = 'xxZxxZ'", "5"},
    Case{"REPLACE('l' WITH '' IN Note) = 'heo word'", "1"},
    Case{"REPLACE(Name WITH 'x' IN Note) = 'x'",
         ERRIN("Search string argument of REPLACE function must be a string constant")},
    Case{"REPLACE('a' WITH Name IN Note) = 'x'",
         ERRIN("Replacement string argument of REPLACE function must be a string constant")},
    Case{"REPLACE('a' WITH 'b' IN Update) = 'x'",
         ERRIN("Expression argument of REPLACE function must be a string or memo type")},
    Case{"REPLACE('a' 'b' IN Note) = 'x'",
         ERRIN("WITH keyword expected after REPLACE function argument, instead found ''b''")},
    Case{"EXTRACT(YEAR FROM Born) = 2024", "1,5"},
    Case{"EXTRACT(MONTH FROM Stamp) = 12", "2"},
    Case{"EXTRACT(DAY FROM Born) = 29", "4"},
    Case{"EXTRACT(DAYOFWEEK FROM Born) = 6", "1,2,5"},
    Case{"EXTRACT(DAYOFWEEK FROM Born) = 3", "4"},
    Case{"EXTRACT(HOUR FROM At) = 8", "2"},
    Case{"EXTRACT(MINUTE FROM Stamp) = 15", "6"},
    Case{"EXTRACT(SECOND FROM At) = 30", "6"},
    Case{"EXTRACT(HOUR FROM Born) = 0", "1,2,4,5,6"},
    Case{"EXTRACT(YEAR FROM At) = 1", ERRIN("Type mismatch between 'YEAR' and 'At'")},
    Case{"EXTRACT(YEAR FROM Name) = 1",
         ERRIN("Expression argument of EXTRACT function must be a date, time or timestamp type")},
    Case{"EXTRACT(WEEK FROM Born) = 1",
         ERRIN("YEAR/MONTH/DAY/DAYOFWEEK/HOUR/MINUTE/SECOND keyword expected after EXTRACT "
               "function left parentheses, instead found 'WEEK'")},
    Case{"CAST(Update AS CHAR) = '10'", "1"},
    Case{"CAST(Price AS VARCHAR) = '2.5'", "1"},
    Case{"CAST(Name AS INTEGER) IS NULL", "1,2,3,4,5,6"},
    Case{"CAST('12' AS INTEGER) = 12", "1,2,3,4,5,6"},
    Case{"CAST('x' AS INTEGER) = 1", ERRIN("Type mismatch between ''x'' and 'INTEGER'")},
    Case{"CAST(Born AS CHAR(4)) = '2024'", "1,5"},
    Case{"CAST(Stamp AS CHAR) = '1900-03-01 06:15:30'", "6"},
    Case{"CAST(At AS CHAR) = '23:59:59.500'", "5"},
    Case{"CAST(Active AS CHAR) = 'FALSE'", "2,6"},
    Case{"CAST(Stamp AS DATE) = Born", "1,2,3,4,6"},
    Case{"CAST(Stamp AS TIME) = At", "1,3,4,6"},
    Case{"CAST(Born AS TIMESTAMP) = Stamp", "3,4"},
    Case{"CAST(Active AS INTEGER) = 1", "1,4,5"},
    Case{"CAST(Price AS INTEGER) = 3", "1,6"},
    Case{"CAST(Update AS BOOLEAN)", "1,2,4,6"},
    Case{"CAST(Update AS FLOAT) / 4 = 2.5", "1"},
    Case{"CAST(Note AS CHAR(5)) = 'hello'", "1"},
    Case{"CAST('2024-01-05' AS DATE) = Born", "1,5"},
    Case{"CAST(Born AS BOOLEAN)", ERRIN("Type mismatch between 'Born' and 'BOOLEAN'")},
    Case{"CAST(Update AS DATE) = Born", ERRIN("Type mismatch between 'Update' and 'DATE'")},
    Case{"CAST(100000 AS SMALLINT) = 1", ERRIN("Type mismatch between '100000' and 'SMALLINT'")},
    Case{"CAST(Update * 10000 AS SMALLINT) IS NULL", "1,2,3,4,6"},
    Case{"CAST(Small AS WORD) IS NULL", "1,3,6"},
    Case{"CAST(Price * 1E10 AS INTEGER) IS NULL", "1,2,3,4,6"},
    Case{"CAST(Price * 1E10 AS LARGEINT) IS NULL", "3"},
    Case{"CAST(Update AS BLOB) = 1",
         ERRIN("Data type expected after AS keyword in CAST function, instead found 'BLOB'")},
    Case{"CAST(Update CHAR) = '1'",
         ERRIN("AS keyword expected after CAST function argument, instead found 'CHAR'")},
    Case{"IF(Active THEN Update ELSE 0) = 10", "1"},
    Case{"IF(Active THEN Update ELSE -1) = -1", "2,3,6"},
    Case{"IF(Active THEN 1 ELSE 2.5) = 2.5", "2,3,6"},
    Case{"IF(Active THEN Name ELSE NULL) = 'abc'", "1"},
    Case{"IF(Update > 5 THEN 'big' ELSE 'small') = 'big'", "1,2"},
    Case{"IF(Update THEN 1 ELSE 2) = 1",
         ERRIN("Condition argument of IF function must be a Boolean type")},
    Case{"IF(Active THEN Name ELSE 1) = 1",
         ERRIN("Result arguments of IF function must be of the same type")},
    Case{"IF(Active Update ELSE 1) = 1",
         ERRIN("THEN keyword expected after IF function argument, instead found 'Update'")},
    Case{"IF(Active THEN 1 2) = 1",
         ERRIN("ELSE keyword expected after IF function argument, instead found '2'")},
    Case{"Born < CURRENT_DATE", "1,2,4,5,6"},
    Case{"CURRENT_TIMESTAMP > Stamp", "1,2,4,5,6"},
    Case{"CURRENT_TIME >= '00:00'", "1,2,3,4,5,6"},
    Case{"UPPER Name = 'x'",
         ERRIN("Left parentheses expected after UPPER function, instead found 'Name'")},
    Case{"UPPER(Name = 'x'",
         ERRIN("Right parentheses expected after UPPER function arguments, instead found ''")}));

INSTANTIATE_TEST_SUITE_P(Memo, FilterSelects, ::testing::Values(
    Case{"Memo LIKE '%long%'", "1"},
    Case{"Memo IS NULL", "2"},
    Case{"UPPER(Memo) = 'MEMO 4'", "4"},
    Case{"SUBSTRING(Memo FROM 1 FOR 4) = 'memo'", "3,4,5,6"},
    Case{"Memo = 'memo*'", "3,4,5,6"},
    Case{"Memo = Name", ""},
    Case{"Memo > 5", "1,3,4,5,6"},
    Case{"Memo > Update", ERRIN("Type mismatch between 'Memo' and 'Update'")}));

INSTANTIATE_TEST_SUITE_P(Tokens, FilterSelects, ::testing::Values(
    Case{"[Name] = 'abc'", "1"},
    Case{"[name]='abc'", "1"},
    Case{"[Na me] = 1", ERRIN("Invalid column name 'Na me'")},
    Case{"[Name = 'abc'", ERRIN("Missing right bracket after 'Name = 'abc''")},
    Case{"Name = \"abc\"", "1"},
    Case{"Name = \"abc", ERRIN("Missing double quote after 'abc'")},
    Case{"Name = 'abc''", ERRIN("Missing single quote after 'abc'''")},
    Case{"Update = 10 /* a comment */", "1"},
    Case{"/* first */ Update /* between */ = 10", "1"},
    Case{"Update = 10 /* open", ERRIN("Missing ending comment slash and asterisk")},
    Case{"Update\t=\n10", "1"},
    Case{"Update = 10 ;", ERRIN("Unknown or unexpected symbol ';'")},
    Case{"Update = ", ERRIN("Unknown or unexpected symbol ''")},
    Case{"Update = #", ERRIN("Unknown or unexpected symbol '#'")},
    Case{"Name = '\xC3\xA9' \xC3\xA9", ERRIN("Unknown or unexpected symbol '\xC3\xA9'")},
    Case{"Foo = 1", ERRIN("Invalid column name 'Foo'")},
    Case{"FOO(1) = 1", ERRIN("Unknown or unexpected function 'FOO'")},
    Case{"COUNT(*) > 1", ERRIN("Aggregate functions are not allowed")},
    Case{"Max(Update) > 1", ERRIN("Aggregate functions are not allowed")},
    Case{"Update = :p", ERRIN("Parameters are not allowed")},
    Case{"Update = ?", ERRIN("Parameters are not allowed")},
    Case{"Update IN (SELECT ID FROM t)", ERRIN("Sub-select queries are not allowed")},
    Case{"(SELECT 1) = 1", ERRIN("Sub-select queries are not allowed")},
    Case{"* = 1", ERRIN("* (all columns) symbol is not allowed")},
    Case{"(Update = 10", ERRIN("Right parentheses expected, instead found ''")},
    Case{"((Update) = (10))", "1"},
    Case{"From = 1", ERRIN("Unknown or unexpected symbol 'From'")},
    Case{"[From] = 1", ERRIN("Invalid column name 'From'")}));

}  // namespace
}  // namespace wispel
