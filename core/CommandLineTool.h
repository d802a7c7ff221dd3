#pragma once
// What every command-line tool shares besides its own work: the options every program
// answers (--help, --version) and the form of a usage error (exit status 2); a closed pipe
// or a full disk on its output is an error it reports (exit status 1), not a signal that
// kills it silently or a success; and time arguments in seconds.

#include <cstdio>
#include <functional>
#include <ostream>
#include <cstddef>
#include <string>
#include <vector>

namespace wispel {

// How a program presents itself on its command line.
struct TCommandUsage {
    const char* name;      // "wispel-get"
    const char* summary;   // what it does, in one sentence
    const char* forms;     // the arguments of each form of the command, one form a line
    const char* options;   // what each option does, one a line, for --help; the text
                           // of each starts in column 23, as that of the common options
};

// Looks among the arguments before "--" for --help (the usage and the options) and
// --version (the name and the version), and prints the first found on `out`. True when one
// was answered: the program then does nothing else and ends with exit status 0.
bool answerCommonOption(const std::vector<std::string>& arguments, const TCommandUsage& usage,
                        std::FILE* out);

// Reports a wrong command line on `err` ("NAME: MESSAGE", then the usage); returns the exit
// status that goes with it, 2.
int usageError(const TCommandUsage& usage, const std::string& message, std::FILE* err);

// Lets a write to a closed pipe fail with EPIPE, which the tool then reports, instead of
// ending the process by SIGPIPE. Call once at the start of main.
void ignoreBrokenPipe();

// Flushes `out` and tells what went wrong with anything written to it: empty when all of it
// arrived, else a message such as "Cannot write to standard output: Broken pipe.".
// `name` names the stream in the message ("standard output").
std::string outputError(std::FILE* out, const char* name);
std::string outputError(std::ostream& out, const char* name);

// Runs a tool's command: its exit status, or 1 when it threw (the error's message then goes to
// standard error, since nothing but the tool's own exit may end it) or when standard output
// could not take what was printed.
int runReportingErrors(const std::function<int()>& command);

// "SECONDS" as a tool argument: a decimal number above 0 (a fraction allowed) of at most
// 2 000 000 seconds, as milliseconds (at least 1). False for anything else.
bool parseSeconds(const std::string& text, int& milliseconds);

// A leading "--dir DIR" of a table tool: takes it into `dir` (with its trailing slash) and
// moves `next` past it. An empty name is refused, since it would mean the root folder to one
// tool and the current one to another. True when there was none.
bool takeDirOption(const std::vector<std::string>& arguments, std::size_t& next,
                   std::string& dir, std::string& error);

}  // namespace wispel
