#include "tests/support/LocalHttpServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace wispel::test {

namespace {

// The script sits next to this file in the source tree. The folder comes from the build,
// not from __FILE__: the compiler cache builds with paths relative to the build folder.
std::string scriptPath() {
    return std::string(WISPEL_TEST_SUPPORT_DIR) + "/local_http_server.py";
}

// How long the script may take to say where it listens; a loaded machine takes seconds.
constexpr int kStartLimitMs = 60000;

// Reads the "PORT <n>" line the script prints once it listens; 0 when it does not come
// within the limit or the script ends first.
int readPort(int fd) {
    std::string line;
    char c;
    pollfd ready{fd, POLLIN, 0};
    while (line.size() < 64 && ::poll(&ready, 1, kStartLimitMs) == 1 && ::read(fd, &c, 1) == 1 &&
           c != '\n') {
        line += c;
    }
    if (line.rfind("PORT ", 0) != 0) return 0;
    return std::atoi(line.c_str() + 5);
}

// Started without fork: a forked child of this many-threaded process (the window's, the
// searches') could wait forever on an allocator lock that another thread held at the fork.
pid_t spawnScript(const std::vector<std::string>& arguments, int stdoutFd) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    pid_t pid = -1;
    const int failed = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

}  // namespace

LocalHttpServer::LocalHttpServer(const std::string& root, const std::string& certificate,
                                 const std::string& newestTls)
    : secure_(!certificate.empty()) {
    std::vector<std::string> arguments{"python3", scriptPath(), root};
    if (!certificate.empty()) arguments.push_back(certificate);
    if (!certificate.empty() && !newestTls.empty()) arguments.push_back(newestTls);
    int pipeFds[2];
    // Close-on-exec, so that no other child keeps the write end open.
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_ = spawnScript(arguments, pipeFds[1]);
    ::close(pipeFds[1]);
    port_ = pid_ > 0 ? readPort(pipeFds[0]) : 0;
    ::close(pipeFds[0]);
    if (port_ == 0) {
        stop();
        throw std::runtime_error("the test HTTP server (python3 " + scriptPath() +
                                 ") did not start");
    }
}

LocalHttpServer::~LocalHttpServer() {
    stop();
}

void LocalHttpServer::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string LocalHttpServer::url(std::string_view path) const {
    return (secure_ ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(port_) +
           std::string(path);
}

}  // namespace wispel::test
