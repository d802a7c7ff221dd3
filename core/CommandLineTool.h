#pragma once
// What every command-line tool shares besides its own work: a closed pipe or a full disk on
// its output is an error it reports (exit status 1), not a signal that kills it silently or
// a success; and time arguments in seconds.

#include <cstdio>
#include <ostream>
#include <string>

namespace wispel {

// Lets a write to a closed pipe fail with EPIPE, which the tool then reports, instead of
// ending the process by SIGPIPE. Call once at the start of main.
void ignoreBrokenPipe();

// Flushes `out` and tells what went wrong with anything written to it: empty when all of it
// arrived, else a message such as "Cannot write to standard output: Broken pipe.".
// `name` names the stream in the message ("standard output").
std::string outputError(std::FILE* out, const char* name);
std::string outputError(std::ostream& out, const char* name);

// "SECONDS" as a tool argument: a decimal number above 0 (a fraction allowed) of at most
// 2 000 000 seconds, as milliseconds (at least 1). False for anything else.
bool parseSeconds(const std::string& text, int& milliseconds);

}  // namespace wispel
