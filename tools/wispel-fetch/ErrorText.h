#pragma once
// An error as the program's error box shows it.

#include <exception>
#include <string>

namespace wispel {

// The error's message; when it is not empty and its last character sorts above ".", a "."
// is appended (so a message ending in ".", "!", ")" or a space is shown as it is).
std::string errorBoxText(const std::exception& error);

}  // namespace wispel
