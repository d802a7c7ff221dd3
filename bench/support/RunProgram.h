#pragma once
// Runs another program for a benchmark (a tool of ours, or a peer such as the curl program)
// and waits for it, its standard output sent to /dev/null.

#include <string>
#include <vector>

namespace wispel::bench {

// `arguments[0]` is the program's path. Raises std::runtime_error when it cannot start or
// does not exit with status 0.
void runProgram(const std::vector<std::string>& arguments);

}  // namespace wispel::bench
