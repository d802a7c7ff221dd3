#pragma once
// Reads a filter text into an expression tree (ExpToken.h) by the filter grammar, from the
// lowest precedence up:
//   or-expression   and-expression { OR and-expression }
//   and-expression  not-expression { AND not-expression }
//   not-expression  [NOT] comparison
//   comparison      sum [ ("=" | "<>" | "<" | ">" | "<=" | ">=") sum
//                       | [NOT] LIKE sum | [NOT] BETWEEN sum AND sum
//                       | [NOT] IN "(" sum { "," sum } ")" | IS [NOT] NULL ]
//   sum             product { ("+" | "-" | "||") product }
//   product         unary { ("*" | "/") unary }
//   unary           ["+" | "-"] primary
//   primary         constant | TRUE | FALSE | NULL | column | [column] | "(" or-expression ")"
//                   | CURRENT_DATE | CURRENT_TIME | CURRENT_TIMESTAMP | function call
// Operators of one level associate to the left, by loops. Only parentheses and function
// calls recurse, and their nesting is bounded (kMaxFilterNesting), so no text can exhaust
// the stack; every token is looked at a bounded number of times, so the cost is linear.
// Text after a complete expression is refused. doc/filter_language.md describes the language.

#include <string_view>

#include "tablestore/filter/ExpToken.h"

namespace wispel {

// Deeper nesting of parentheses and function calls is refused with a filter fault.
inline constexpr int kMaxFilterNesting = 128;

class TExpressionParser {
public:
    // The tree of `text`, which must outlive it (nodes point into it for their texts).
    // Faults of the text raise TFilterFault (FilterError.h).
    static void parse(std::string_view text, TExpTree& tree);
};

}  // namespace wispel
