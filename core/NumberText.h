#pragma once
// Numbers as text, the same under every locale: a point as the decimal separator and no
// grouping, whatever LC_NUMERIC the process runs under (a Qt window takes it from the
// environment). Tables keep their float values as text in this form wherever they store
// them as text, so two processes under different locales read each other's numbers alike.

#include <string>
#include <string_view>

namespace wispel {

// Reads the whole of `text` as a decimal number: an optional sign ("+" or "-"), digits
// with an optional fraction and exponent. Nothing else may follow; no blanks are skipped.
// False for anything else, including a value too large or too small for a double, and
// "inf" or "nan": a stored number is always finite.
bool parseNumber(std::string_view text, double& value);

// At most 15 significant digits, fixed or with an exponent, whichever is shorter (the C
// locale's "%.15g"): the form stored table texts already hold, read back by parseNumber.
std::string numberText(double value);

}  // namespace wispel
