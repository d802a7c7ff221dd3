#include "tests/support/ScriptedServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <utility>

namespace wispel::test {

namespace {

constexpr int kWaitMs = 10000;   // longest wait for a client before a script gives up
constexpr int kPieceGapMs = 30;  // pause after a send so the next one is a separate receive

int listenOnLoopback(int& port, Loopback on = Loopback::IPv4) {
    const bool v6 = on == Loopback::IPv6;
    int s = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) throw std::runtime_error("socket failed");
    int on1 = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on1, sizeof on1);
    sockaddr_storage storage{};
    socklen_t length;
    if (v6) {
        auto& address = reinterpret_cast<sockaddr_in6&>(storage);
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        length = sizeof address;
    } else {
        auto& address = reinterpret_cast<sockaddr_in&>(storage);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof address;
    }
    auto* address = reinterpret_cast<sockaddr*>(&storage);
    if (::bind(s, address, length) != 0 || ::listen(s, 16) != 0 ||
        ::getsockname(s, address, &length) != 0) {
        ::close(s);
        throw std::runtime_error(v6 ? "cannot listen on ::1" : "cannot listen on 127.0.0.1");
    }
    port = ntohs(v6 ? reinterpret_cast<sockaddr_in6&>(storage).sin6_port
                    : reinterpret_cast<sockaddr_in&>(storage).sin_port);
    return s;
}

bool waitFor(int socket, short events, int milliseconds) {
    pollfd entry{socket, events, 0};
    return ::poll(&entry, 1, milliseconds) > 0;
}

}  // namespace

ScriptedPeer::~ScriptedPeer() {
    close();
}

bool ScriptedPeer::receiveMore() {
    if (socket_ < 0 || !waitFor(socket_, POLLIN, kWaitMs)) return false;
    char buffer[65536];
    ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
    if (n == 0) clientEof_ = true;
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<size_t>(n));
    received_.append(buffer, static_cast<size_t>(n));
    return true;
}

std::string ScriptedPeer::readUntil(std::string_view terminator) {
    std::size_t from = 0;
    std::size_t found;
    while ((found = pending_.find(terminator, from)) == std::string::npos) {
        from = pending_.size() >= terminator.size() ? pending_.size() - terminator.size() + 1 : 0;
        if (!receiveMore()) return std::exchange(pending_, {});
    }
    std::string result = pending_.substr(0, found + terminator.size());
    pending_.erase(0, found + terminator.size());
    return result;
}

std::string ScriptedPeer::readCount(std::size_t count) {
    while (pending_.size() < count && receiveMore()) {
    }
    std::string result = pending_.substr(0, count);
    pending_.erase(0, result.size());
    return result;
}

std::string ScriptedPeer::readToEnd() {
    while (receiveMore()) {
    }
    return std::exchange(pending_, {});
}

void ScriptedPeer::send(std::string_view bytes) {
    std::size_t sent = 0;
    while (socket_ >= 0 && sent < bytes.size()) {
        ssize_t n = ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;  // the client went away; the test sees that on its side
        sent += static_cast<size_t>(n);
    }
    pause(kPieceGapMs);
}

void ScriptedPeer::sendInPieces(std::string_view bytes, std::size_t pieceSize) {
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) send(bytes.substr(at, pieceSize));
}

void ScriptedPeer::trickle(std::string_view bytes, int gapMs) {
    for (char byte : bytes) {
        if (socket_ < 0 || ::send(socket_, &byte, 1, MSG_NOSIGNAL) != 1) return;
        pause(gapMs);
    }
}

void ScriptedPeer::pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void ScriptedPeer::closeWrite() {
    if (socket_ >= 0) ::shutdown(socket_, SHUT_WR);
}

void ScriptedPeer::close() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
}

bool ScriptedPeer::clientClosed() {
    while (receiveMore()) {
    }
    return clientEof_;
}

ScriptedServer::ScriptedServer(Script script, int connections, Loopback on)
    : ScriptedServer(std::vector<Script>(static_cast<size_t>(connections), script), on) {}

ScriptedServer::ScriptedServer(std::vector<Script> scripts, Loopback on) : on_(on) {
    listener_ = listenOnLoopback(port_, on);
    thread_ =
        std::thread([this, scripts = std::move(scripts)]() mutable { run(std::move(scripts)); });
}

ScriptedServer::~ScriptedServer() {
    join();
    if (listener_ >= 0) ::close(listener_);
}

std::string ScriptedServer::url(std::string_view path) const {
    const char* host = on_ == Loopback::IPv6 ? "[::1]" : "127.0.0.1";
    return "http://" + std::string(host) + ":" + std::to_string(port_) + std::string(path);
}

void ScriptedServer::join() {
    if (thread_.joinable()) thread_.join();
}

std::string ScriptedServer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::string ScriptedServer::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

void ScriptedServer::run(std::vector<Script> scripts) {
    for (auto& script : scripts) {
        if (!waitFor(listener_, POLLIN, kWaitMs)) {
            std::lock_guard lock(mutex_);
            failure_ = "no client connected";
            return;
        }
        int s = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (s < 0) continue;
        ++accepted_;
        ScriptedPeer peer(s);
        try {
            script(peer);
        } catch (const std::exception& error) {
            std::lock_guard lock(mutex_);
            failure_ = error.what();
        }
        std::lock_guard lock(mutex_);
        received_ += peer.received();
    }
}

bool ipv6LoopbackAvailable() {
    try {
        int port = 0;
        ::close(listenOnLoopback(port, Loopback::IPv6));
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

SilentServer::SilentServer() {
    listener_ = listenOnLoopback(port_);
}

SilentServer::~SilentServer() {
    ::close(listener_);
}

std::string SilentServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

int unusedLoopbackPort() {
    int port = 0;
    int s = listenOnLoopback(port);
    ::close(s);  // nothing listens there any more
    return port;
}

}  // namespace wispel::test
