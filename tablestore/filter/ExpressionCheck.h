#pragma once
// The second step of making a filter: resolves column names, gives every node its type and
// refuses operands of the wrong type; turns "constant <op> expression" round so the
// constant is on the right; converts constants on the right of a comparison to the type of
// the left operand; marks "=" and "<>" against a text constant as text comparisons with
// the case option and the partial length of a constant ending in "*".

#include "tablestore/filter/ExpToken.h"
#include "tablestore/filter/FilterColumns.h"
#include "tablestore/filter/FilterOptions.h"

namespace wispel {

// Faults raise TFilterFault, the last one being "filter expression must be a boolean
// expression" when everything else is sound.
void checkExpression(TExpTree& tree, const TFilterColumns& columns, const TFilterOptions& options);

// Converts a constant to class `to` for an operand whose text is `other`; a value that
// cannot be read as `to` raises "Type mismatch between '<other>' and '<constant>'".
void convertConstant(TExpToken& constant, TValueClass to, std::string_view other);

}  // namespace wispel
