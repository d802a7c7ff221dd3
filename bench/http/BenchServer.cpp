#include "bench/http/BenchServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace wispel::bench {

namespace {

std::string replyOf(std::size_t size) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(size) + "\r\n\r\n" + std::string(size, 'x');
}

// One accepted connection, in plain text or over TLS. Receives give up after a short wait
// so that the server notices when it is stopped.
class Channel {
public:
    Channel(int socket, SSL_CTX* context) : socket_(socket) {
        timeval wait{0, 50000};
        ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        if (context == nullptr) return;
        tls_ = SSL_new(context);
        SSL_set_fd(tls_, socket);
        while (SSL_accept(tls_) != 1) {
            if (SSL_get_error(tls_, -1) != SSL_ERROR_WANT_READ) {
                failed_ = true;
                return;
            }
        }
    }
    ~Channel() {
        SSL_free(tls_);
        ::close(socket_);
    }
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    bool failed() const { return failed_; }

    // Bytes received; 0 when the client closed; -1 when nothing came within the wait.
    ssize_t receive(char* buffer, std::size_t size) {
        if (tls_ == nullptr) {
            ssize_t n = ::recv(socket_, buffer, size, 0);
            return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? -1
                                                                      : std::max<ssize_t>(n, 0);
        }
        std::size_t got = 0;
        if (SSL_read_ex(tls_, buffer, size, &got) == 1) return static_cast<ssize_t>(got);
        return SSL_get_error(tls_, 0) == SSL_ERROR_WANT_READ ? -1 : 0;
    }

    bool sendAll(const std::string& bytes) {
        if (tls_ != nullptr) {
            std::size_t written = 0;
            return SSL_write_ex(tls_, bytes.data(), bytes.size(), &written) == 1;
        }
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int socket_;
    SSL* tls_ = nullptr;
    bool failed_ = false;
};

}  // namespace

BenchServer::BenchServer(const std::vector<std::pair<std::string, std::size_t>>& bodies,
                         std::size_t smallSize, const std::string& certificate)
    : smallReply_(replyOf(smallSize)) {
    if (!certificate.empty()) {
        tls_ = SSL_CTX_new(TLS_server_method());
        if (SSL_CTX_use_certificate_chain_file(tls_, certificate.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(tls_, certificate.c_str(), SSL_FILETYPE_PEM) != 1) {
            throw std::runtime_error("cannot load the certificate " + certificate);
        }
    }
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
    SSL_CTX_free(tls_);
}

std::string BenchServer::url(const std::string& path) const {
    return (tls_ != nullptr ? "https" : "http") + std::string("://127.0.0.1:") +
           std::to_string(port_) + path;
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
    Channel channel(socket, tls_);
    std::string pending;
    char buffer[16384];
    while (!stopping_ && !channel.failed()) {
        std::size_t end = pending.find("\r\n\r\n");
        if (end != std::string::npos) {
            const std::string& reply = replyTo(pending);
            pending.erase(0, end + 4);
            if (!channel.sendAll(reply)) break;
            continue;
        }
        ssize_t n = channel.receive(buffer, sizeof buffer);
        if (n == 0) break;
        if (n > 0) pending.append(buffer, static_cast<std::size_t>(n));
    }
}

const std::string& BenchServer::replyTo(const std::string& head) const {
    for (const auto& [requestLine, reply] : replies_) {
        if (head.compare(0, requestLine.size(), requestLine) == 0) return reply;
    }
    return smallReply_;
}

}  // namespace wispel::bench
