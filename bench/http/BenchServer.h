#pragma once
// A loopback HTTP/1.1 server for the benchmark: keep-alive, one thread per connection,
// fixed replies held in memory so that the server costs as little as possible.
//   /big      a body of `bigSize` bytes
//   anything else: a body of `smallSize` bytes

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wispel::bench {

class BenchServer {
public:
    BenchServer(std::size_t bigSize, std::size_t smallSize);
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    std::string url(const std::string& path) const;

private:
    void acceptLoop();
    void serve(int socket);

    std::string bigReply_;
    std::string smallReply_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace wispel::bench
