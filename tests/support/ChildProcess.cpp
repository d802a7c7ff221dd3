#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace wispel::test {

namespace {

// The argument vector of exec: the program, its arguments, a null pointer.
std::vector<char*> argumentVector(const std::string& program,
                                  const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<char*> argv = argumentVector(program, arguments);
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::dup2(toChild[0], 0);
        ::dup2(fromChild[1], 1);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    ::signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
    if (!reaped_) {
        kill(SIGKILL);
        wait();
    }
    if (in_ >= 0) ::close(in_);
    if (out_ >= 0) ::close(out_);
}

bool ChildProcess::readLine(std::string& line, int timeoutMs) {
    for (;;) {
        size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return true;
        }
        pollfd p{out_, POLLIN, 0};
        int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char buffer[4096];
        ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

void ChildProcess::writeLine(const std::string& line) {
    std::string text = line + "\n";
    if (::write(in_, text.data(), text.size()) < 0) {
        // A child that has gone is the test's to notice through its output.
    }
}

void ChildProcess::closeInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
}

void ChildProcess::kill(int signal) {
    if (!reaped_) ::kill(pid_, signal);
}

int ChildProcess::wait() {
    if (!reaped_) {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return status_;
}

int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               std::string& out) {
    ChildProcess child(program, arguments);
    child.closeInput();
    out.clear();
    std::string line;
    while (child.readLine(line)) out += line + "\n";
    return child.wait();
}

namespace {

// Reads both pipes until both are at their end.
void drain(int out, int err, ProgramRun& run) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                fds[i].fd = -1;
                --open;
            } else {
                texts[i]->append(buffer, static_cast<size_t>(n));
            }
        }
    }
}

}  // namespace

ProgramRun runCapturing(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& folder) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<char*> argv = argumentVector(program, arguments);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int nothing = ::open("/dev/null", O_RDONLY);
        ::dup2(nothing, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
        ::execvp(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    ProgramRun run;
    drain(out[0], err[0], run);
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace wispel::test
