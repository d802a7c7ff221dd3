#pragma once
// A loopback HTTP/1.1 server for the benchmark, in plain text or over TLS: keep-alive, one thread
// per connection, fixed replies held in memory so that the server costs as little as possible.
//   a path given to the constructor: a body of its size
//   anything else: a body of `smallSize` bytes

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct ssl_ctx_st;

namespace wispel::bench {

class BenchServer {
public:
    // (path, body size) pairs; each path is matched exactly. With `certificate` (a PEM file
    // holding the certificate and its key) the server speaks TLS.
    BenchServer(const std::vector<std::pair<std::string, std::size_t>>& bodies,
                std::size_t smallSize, const std::string& certificate = "");
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    std::string url(const std::string& path) const;

private:
    void acceptLoop();
    void serve(int socket);

    const std::string& replyTo(const std::string& head) const;

    std::vector<std::pair<std::string, std::string>> replies_;  // (request line, reply)
    std::string smallReply_;
    ssl_ctx_st* tls_ = nullptr;  // owned; null for plain text
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace wispel::bench
