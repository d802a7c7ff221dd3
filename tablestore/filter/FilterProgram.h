#pragma once
// A compiled filter: the checked expression tree flattened into a list of instructions for
// a small stack machine, operands before their operator. Evaluating a record runs the list
// once, front to back, so the cost per record follows the size of the expression and never
// the depth of its nesting. A comparison of a column with a constant, the usual filter
// ("Active = TRUE"), is one instruction.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "tablestore/filter/ExpToken.h"
#include "tablestore/filter/FilterColumns.h"
#include "tablestore/filter/FilterOptions.h"

namespace wispel {

enum class TFilterOpcode : std::uint8_t {
    pushConstant,           // constant
    pushColumn,             // column
    compareColumnConstant,  // column <op> constant, pushes a Boolean
    compare,                // pops 2: <op>
    like,                   // pops 2
    between,                // pops 3
    in,                     // pops count + 1
    isNull,                 // pops 1
    logicalNot,             // pops 1
    logicalAnd,             // pops 2
    logicalOr,              // pops 2
    negate,                 // pops 1 (unary minus; unary plus compiles to nothing)
    arithmetic,             // pops 2: <op> giving resultClass
    function,               // pops 1 (IF: 3; CURRENT_*: 0)
};

struct TFilterInstruction {
    TFilterOpcode opcode = TFilterOpcode::pushConstant;
    TExpOperator op = TExpOperator::none;
    TExpFunction function = TExpFunction::none;
    TValueClass resultClass = TValueClass::null;
    std::uint8_t valueType = 0;  // engine type of the result (CAST's target)
    bool negated = false;
    bool caseInsensitive = false;  // text comparison nodes and LIKE
    bool partial = false;
    std::uint32_t partialLength = 0;
    std::uint32_t column = 0;
    std::uint32_t constant = 0;   // constant (TRIM's character, POS's search text, ...)
    std::uint32_t constant2 = 0;  // REPLACE's replacement text
    std::uint32_t count = 0;      // values of IN
    TTrimMode trimMode = TTrimMode::both;
    TExtractPart extractPart = TExtractPart::year;
    std::int64_t number1 = 0;  // ROUND places, SUBSTRING start, CAST text length
    std::int64_t number2 = 0;  // SUBSTRING length (0: to the end)
};

struct TFilterProgram {
    std::vector<TFilterInstruction> code;
    std::vector<TFilterValue> constants;
    std::deque<std::string> constantTexts;  // what the constants' texts point to
    std::size_t stackDepth = 0;             // the most values on the stack at once
    // The filter is a comparison of a column with a constant, or such comparisons joined
    // by AND, so an index on the column could answer it (TFilterRecordSource says how);
    // the answer always equals record-by-record evaluation.
    bool canUseIndexes = false;
    bool usesMemo = false;
};

// Flattens a checked tree (ExpressionCheck.h).
TFilterProgram compileFilter(const TExpTree& tree, const TFilterColumns& columns);

}  // namespace wispel
