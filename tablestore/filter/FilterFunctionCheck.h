#pragma once
// The argument rules of the filter functions, applied once the arguments are typed: ABS of
// an integer or float; ROUND of a float to an integer constant of 0 to 32 places;
// SUBSTRING of a text with integer constants above 0 after FROM and FOR; TRIM of a text
// by a one-character constant; POS and OCCURS of a text constant; REPLACE with text
// constants after its name and WITH; EXTRACT of a date, time or timestamp; CAST between
// classes that convert; IF with a Boolean condition and branches of one type.

#include "tablestore/filter/ExpToken.h"

namespace wispel {

// Sets the node's type, or raises the filter fault of the broken rule.
void checkFunction(TExpToken& node);

}  // namespace wispel
