#pragma once
// The operators of the filter on values (FilterValue.h).
//
// "=" and "<>" never give NULL: no value equals no value, and exactly one operand without
// a value makes "=" false and "<>" true. The ordering comparisons give NULL when exactly
// one operand has no value (so NOT (x < 5) does not select records without x), and treat
// two operands without values as equal. Booleans are equal when both are zero or both
// non-zero, numbers compare by value, a date against a timestamp as the midnight of that
// date. BETWEEN is ">=" AND "<="; IN is a list of "=".
//
// Arithmetic and concatenation with a NULL operand give NULL, as do a division by zero,
// an integer overflow and a date or text beyond its bounds.

#include <string>

#include "tablestore/filter/ExpToken.h"
#include "tablestore/filter/FilterText.h"
#include "tablestore/filter/FilterValue.h"

namespace wispel {

// The order of two values of comparable classes: -1, 0, 1, or kUnordered when exactly one
// has no value.
inline constexpr int kUnordered = 2;
int compareFilterValues(const TFilterValue& a, const TFilterValue& b, const TTextCompareMode& mode);
// The Boolean value of the comparison `op` for `order`.
TFilterValue comparisonValue(TExpOperator op, int order);

TFilterValue makeBoolean(bool value);
// Three-valued logic: false AND NULL is false, true OR NULL is true, otherwise NULL wins.
TFilterValue logicalValue(bool isOr, const TFilterValue& a, const TFilterValue& b);
TFilterValue notValue(const TFilterValue& a);

// left <op> right for + - * / (and "||"): the result has class `resultClass`; a text
// result is written to `text` (and result.text left for the caller to point there).
void applyArithmetic(TExpOperator op, TValueClass resultClass, const TFilterValue& left,
                     const TFilterValue& right, TFilterValue& result, std::string& text);

// Unary minus.
void applyNegate(const TFilterValue& operand, TFilterValue& result);

}  // namespace wispel
