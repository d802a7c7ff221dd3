#pragma once
// Another program run by a test, with its standard input and output on pipes: for tests
// that need a second process (locks between processes, a writer killed mid-work). Standard
// error goes where the test's goes. The process is killed and reaped when the object is
// destroyed.

#include <sys/types.h>

#include <string>
#include <vector>

namespace wispel::test {

class ChildProcess {
public:
    // Starts `program` with `arguments`; raises std::runtime_error when it cannot start.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of its output without the line break; false at its end, or when no
    // line came within `timeoutMs`.
    bool readLine(std::string& line, int timeoutMs = 30000);
    void writeLine(const std::string& line);
    void closeInput();
    void kill(int signal);
    // Waits for the end: the exit status, or 128 + the signal that ended it.
    int wait();
    pid_t pid() const noexcept { return pid_; }

private:
    pid_t pid_ = -1;
    int in_ = -1;   // its standard input
    int out_ = -1;  // its standard output
    std::string pending_;
    bool reaped_ = false;
    int status_ = 0;
};

// A finished program: its exit status (128 + the signal that ended it) and what it wrote.
struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` (looked up in PATH when it names no folder) in `folder` (empty: this
// process's) with no input, to its end, keeping its standard output and error apart.
ProgramRun runCapturing(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& folder = {});

// Runs `program` to its end; its output in `out`, the exit status returned.
int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               std::string& out);

}  // namespace wispel::test
