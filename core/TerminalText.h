#pragma once
// Text from outside (feeds, servers, documents) made safe to print on a terminal: nothing in
// it can move the cursor, retitle the window or switch the character set, because every
// control character becomes a visible escape.
//
//   "\" -> "\\"   tab -> "\t"   line feed -> "\n"   carriage return -> "\r"
//   other C0 controls and DEL -> "\xHH"   C1 controls (U+0080 to U+009F) -> "\u00HH"
//   a byte that is not part of a well-formed UTF-8 sequence -> "\xHH"
// Hex digits are upper case. Everything else, all printable UTF-8, passes unchanged.

#include <cstddef>
#include <string>
#include <string_view>

namespace wispel {

// `quote`, when not NUL, is escaped as well (as a backslash and itself).
std::string escapeControls(std::string_view text, char quote = '\0');

// The same, except that backslashes, line feeds and carriage returns pass unchanged: for
// messages whose lines are meant to show as lines.
std::string escapeControlsKeepingLines(std::string_view text);

// The same as escapeControlsKeepingLines, except that each line break (CR LF, CR or LF)
// becomes one blank: for a message printed as one line, which a carriage return inside it
// would overwrite from its start.
std::string escapeControlsAsOneLine(std::string_view text);

// Where `text` first holds what escapeControls escapes other than a backslash: a control
// character (C0, DEL, C1) or a byte outside well-formed UTF-8; npos when nowhere.
std::size_t findControlOrMalformed(std::string_view text);

// What escapeControls returns, appended to `out`: for output built line by line in one
// reused buffer.
void appendEscapedControls(std::string& out, std::string_view text, char quote = '\0');

}  // namespace wispel
