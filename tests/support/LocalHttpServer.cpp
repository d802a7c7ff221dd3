#include "tests/support/LocalHttpServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace wispel::test {

namespace {

// The script sits next to this file in the source tree. The folder comes from the build,
// not from __FILE__: the compiler cache builds with paths relative to the build folder.
std::string scriptPath() {
    return std::string(WISPEL_TEST_SUPPORT_DIR) + "/local_http_server.py";
}

// Reads the "PORT <n>" line the script prints once it listens.
int readPort(int fd) {
    std::string line;
    char c;
    while (line.size() < 64 && ::read(fd, &c, 1) == 1 && c != '\n') line += c;
    if (line.rfind("PORT ", 0) != 0) return 0;
    return std::atoi(line.c_str() + 5);
}

}  // namespace

LocalHttpServer::LocalHttpServer(const std::string& root, const std::string& certificate,
                                 const std::string& newestTls)
    : secure_(!certificate.empty()) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::string script = scriptPath();
        ::execlp("python3", "python3", script.c_str(), root.c_str(),
                 certificate.empty() ? nullptr : certificate.c_str(),
                 newestTls.empty() ? nullptr : newestTls.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
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
