#include "bench/http/BenchServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace wispel::bench {

namespace {

std::string replyOf(std::size_t size) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(size) + "\r\n\r\n" + std::string(size, 'x');
}

bool sendAll(int socket, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

BenchServer::BenchServer(const std::vector<std::pair<std::string, std::size_t>>& bodies,
                         std::size_t smallSize)
    : smallReply_(replyOf(smallSize)) {
    for (const auto& [path, size] : bodies)
        replies_.emplace_back("GET " + path + " ", replyOf(size));
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

BenchServer::~BenchServer() {
    stopping_ = true;
    acceptor_.join();
    for (auto& connection : connections_) connection.join();
    ::close(listener_);
}

std::string BenchServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void BenchServer::acceptLoop() {
    while (!stopping_) {
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, 50) <= 0) continue;
        int s = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (s < 0) continue;
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, s] { serve(s); });
    }
}

// Answers every request head on the connection until the client closes.
void BenchServer::serve(int socket) {
    std::string pending;
    char buffer[16384];
    while (!stopping_) {
        std::size_t end = pending.find("\r\n\r\n");
        if (end != std::string::npos) {
            const std::string& reply = replyTo(pending);
            pending.erase(0, end + 4);
            if (!sendAll(socket, reply)) break;
            continue;
        }
        pollfd entry{socket, POLLIN, 0};
        if (::poll(&entry, 1, 50) <= 0) continue;
        ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(socket);
}

const std::string& BenchServer::replyTo(const std::string& head) const {
    for (const auto& [requestLine, reply] : replies_) {
        if (head.compare(0, requestLine.size(), requestLine) == 0) return reply;
    }
    return smallReply_;
}

}  // namespace wispel::bench
