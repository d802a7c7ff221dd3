#pragma once
// An error as the error box shows it: the window program's box and the tools' error line
// take their text from here, so both follow one rule.

#include <exception>
#include <string>

namespace wispel {

// The error's message; when it is not empty and its last character sorts above ".", a "."
// is appended (so a message ending in ".", "!", ")" or a space is shown as it is).
std::string errorBoxText(const std::exception& error);

// The name of the error's class: our own errors report it, others give their C++ type.
std::string errorClassName(const std::exception& error);

}  // namespace wispel
