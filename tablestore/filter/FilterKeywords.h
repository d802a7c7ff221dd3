#pragma once
// The words of the filter language. All are compared without regard to case; a name that
// is none of them is a column name (a bracketed name always is).

#include <cstdint>
#include <string_view>

#include "tablestore/filter/ExpToken.h"

namespace wispel {

struct TFunctionSpelling {
    std::string_view name;
    TExpFunction function;
    bool takesNoArguments;  // CURRENT_DATE, CURRENT_TIME, CURRENT_TIMESTAMP
};
// Every look-up takes the word in upper case (the tokenizer's `folded` form).

// The function spelled `word`, or null.
const TFunctionSpelling* findFunction(std::string_view word);

// Operator and argument keywords (AND, OR, ..., FROM, FOR, YEAR, ...), which can never name
// a column unbracketed. TRUE, FALSE, NULL and the function names are handled on their own.
bool isReservedWord(std::string_view word);
// COUNT, SUM, AVG, MIN, MAX: refused when called.
bool isAggregateName(std::string_view word);

struct TCastTypeSpelling {
    std::string_view name;
    TValueClass valueClass;
    std::uint8_t engineType;
};
// The data type named after CAST's AS, or null.
const TCastTypeSpelling* findCastType(std::string_view word);

}  // namespace wispel
