#include "tablestore/filter/FilterKeywords.h"

#include <array>


namespace wispel {

namespace {

constexpr std::array<TFunctionSpelling, 15> kFunctions{{
    {"UPPER", TExpFunction::upper, false},
    {"LOWER", TExpFunction::lower, false},
    {"ABS", TExpFunction::abs, false},
    {"ROUND", TExpFunction::round, false},
    {"SUBSTRING", TExpFunction::substring, false},
    {"TRIM", TExpFunction::trim, false},
    {"POS", TExpFunction::pos, false},
    {"OCCURS", TExpFunction::occurs, false},
    {"REPLACE", TExpFunction::replace, false},
    {"EXTRACT", TExpFunction::extract, false},
    {"CAST", TExpFunction::cast, false},
    {"IF", TExpFunction::ifThenElse, false},
    {"CURRENT_DATE", TExpFunction::currentDate, true},
    {"CURRENT_TIME", TExpFunction::currentTime, true},
    {"CURRENT_TIMESTAMP", TExpFunction::currentTimestamp, true},
}};

constexpr std::array<std::string_view, 24> kReserved{
    "AND",  "OR",   "NOT",     "LIKE",     "BETWEEN", "IN",   "IS",    "TO",
    "FROM", "FOR",  "LEADING", "TRAILING", "BOTH",    "WITH", "AS",    "THEN",
    "ELSE", "YEAR", "MONTH",   "DAY",      "DAYOFWEEK", "HOUR", "MINUTE", "SECOND",
};

constexpr std::array<std::string_view, 5> kAggregates{"COUNT", "SUM", "AVG", "MIN", "MAX"};

// Engine type codes: 1 text, 2 date, 4 Boolean, 5 16-bit, 6 32-bit, 7 float, 10 time,
// 11 timestamp, 12 unsigned 16-bit, 18 64-bit.
constexpr std::array<TCastTypeSpelling, 15> kCastTypes{{
    {"CHAR", TValueClass::text, 1},
    {"VARCHAR", TValueClass::text, 1},
    {"DATE", TValueClass::date, 2},
    {"BOOLEAN", TValueClass::boolean, 4},
    {"BOOL", TValueClass::boolean, 4},
    {"SMALLINT", TValueClass::integer, 5},
    {"INTEGER", TValueClass::integer, 6},
    {"INT", TValueClass::integer, 6},
    {"WORD", TValueClass::integer, 12},
    {"LARGEINT", TValueClass::integer, 18},
    {"FLOAT", TValueClass::floating, 7},
    {"MONEY", TValueClass::floating, 7},
    {"TIME", TValueClass::time, 10},
    {"TIMESTAMP", TValueClass::timestamp, 11},
    {"DATETIME", TValueClass::timestamp, 11},
}};

template <class Words>
bool contains(const Words& words, std::string_view word) {
    for (std::string_view w : words)
        if (w == word) return true;
    return false;
}

}  // namespace

const TFunctionSpelling* findFunction(std::string_view word) {
    for (const TFunctionSpelling& f : kFunctions)
        if (f.name == word) return &f;
    return nullptr;
}

bool isReservedWord(std::string_view word) { return contains(kReserved, word); }
bool isAggregateName(std::string_view word) { return contains(kAggregates, word); }

const TCastTypeSpelling* findCastType(std::string_view word) {
    for (const TCastTypeSpelling& t : kCastTypes)
        if (t.name == word) return &t;
    return nullptr;
}

}  // namespace wispel
