#pragma once
// The expression tree of a filter. Nodes live in one arena (TExpTree) in the order the
// parser made them, which puts every node after its operands: the checks walk the arena
// front to back instead of recursing, so a long chain such as 1+1+1+... costs no stack.

#include <array>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "tablestore/filter/FilterValue.h"

namespace wispel {

enum class TExpKind : std::uint8_t { unaryOp, binaryOp, constant, column, function };

// Operator codes of the nodes; comparisons, arithmetic and logic keep the engine's numbers,
// the other predicates follow them.
enum class TExpOperator : std::uint8_t {
    none = 0,
    equal = 3,
    notEqual = 4,
    greater = 5,
    less = 6,
    greaterOrEqual = 7,
    lessOrEqual = 8,
    logicalNot = 9,
    logicalAnd = 10,
    logicalOr = 11,
    negate = 15,
    unaryPlus = 16,
    add = 17,  // "+" and "||"
    subtract = 18,
    multiply = 19,
    divide = 20,
    like = 21,
    between = 22,
    in = 23,
    isNull = 24,
};

enum class TExpFunction : std::uint8_t {
    none,
    upper,
    lower,
    abs,
    round,
    substring,
    trim,
    pos,
    occurs,
    replace,
    extract,
    cast,
    ifThenElse,
    currentDate,
    currentTime,
    currentTimestamp,
};

enum class TTrimMode : std::uint8_t { leading, trailing, both };
enum class TExtractPart : std::uint8_t { year, month, day, dayOfWeek, hour, minute, second };

struct TExpToken {
    TExpKind kind = TExpKind::constant;
    TExpOperator op = TExpOperator::none;
    TExpFunction function = TExpFunction::none;
    // The source text the node was parsed from, for messages.
    std::string_view text;
    // Engine type code of the node's value (1 text, 2 date, 4 Boolean, 6 integer, ...)
    // and the class it folds into; set by the type check.
    std::uint8_t valueType = 0;
    TValueClass valueClass = TValueClass::null;
    // Constants: the value (its text in `textValue`, which `value.text` points to).
    TFilterValue value;
    std::string textValue;
    std::array<TExpToken*, 3> child{};
    std::vector<TExpToken*> list;  // the values of IN
    int column = -1;               // column references: index into the table's columns
    bool negated = false;          // NOT LIKE, NOT BETWEEN, NOT IN, IS NOT NULL
    bool spelledConcat = false;    // "+" written as "||"
    // Text comparison nodes ("=" / "<>" against a text constant).
    bool caseInsensitive = false;
    std::uint32_t partialLength = 0;
    // Function details: the trim mode, the part EXTRACT takes, CAST's target class and
    // text length (0: any), ROUND's places, SUBSTRING's start and length (0: to the end).
    TTrimMode trimMode = TTrimMode::both;
    TExtractPart extractPart = TExtractPart::year;
    TValueClass castTo = TValueClass::null;
    std::int64_t number1 = 0;
    std::int64_t number2 = 0;
    bool partial = false;  // compare only the first partialLength characters

    void setClass(TValueClass type) {
        valueClass = type;
        valueType = engineTypeOfClass(type);
    }
};

class TExpTree {
public:
    TExpToken& add(TExpKind kind) {
        nodes_.emplace_back();
        nodes_.back().kind = kind;
        return nodes_.back();
    }
    std::deque<TExpToken>& nodes() { return nodes_; }
    TExpToken* root = nullptr;

private:
    std::deque<TExpToken> nodes_;  // a deque keeps node addresses fixed as it grows
};

}  // namespace wispel
