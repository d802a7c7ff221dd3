#pragma once
// The filter functions at evaluation time. Texts count characters, not bytes, from 1:
// SUBSTRING('abcdef' FROM 2 FOR 3) is 'bcd'; POS gives the position of the first
// occurrence or 0; OCCURS counts occurrences that do not overlap; REPLACE replaces them
// all. A NULL argument gives NULL, except IF, which takes its ELSE branch when the
// condition is not true. CAST of a value that does not read as the target type gives NULL
// (a constant that cannot be converted is refused when the filter is made).

#include <string>

#include "tablestore/filter/FilterProgram.h"
#include "tablestore/filter/FilterValue.h"

namespace wispel {

// Applies `instruction`'s function to `args` (as many as it pops). A text result is
// written to `text`; the caller points result.text at it once stored.
void applyFunction(const TFilterInstruction& instruction, const TFilterProgram& program,
                   const TFilterValue* args, TFilterValue& result, std::string& text,
                   const TCurrentMoment& now);

}  // namespace wispel
