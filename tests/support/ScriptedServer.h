#pragma once
// A loopback server for tests that need exact bytes on the wire. It listens on 127.0.0.1 (or
// ::1) on a port the system picks and runs a script for each accepted connection, one connection
// after the other, on a thread of its own. The script reads and writes raw bytes through a
// ScriptedPeer; every wait of the peer gives up after a few seconds so that a client that
// misbehaves fails the test instead of hanging it.
//
//   ScriptedServer server([](ScriptedPeer& peer) {
//       peer.readRequest();
//       peer.send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n");
//       peer.send("hi");
//   });
//   ... connect to 127.0.0.1:server.port() ...
//   server.join();  // waits for the scripts; rethrows nothing, see failure()

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace wispel::test {

class ScriptedPeer {
public:
    explicit ScriptedPeer(int socket) : socket_(socket) {}
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // Bytes up to and including `terminator`; what arrived when the client closed or the
    // wait ran out.
    std::string readUntil(std::string_view terminator);
    // A request head: everything up to and including the empty line.
    std::string readRequest() { return readUntil("\r\n\r\n"); }
    // Exactly `count` bytes (fewer when the client closes first).
    std::string readCount(std::size_t count);
    // Everything until the client closes.
    std::string readToEnd();
    // One send of all of `bytes`, then a short pause so that the next send arrives in a
    // receive of its own.
    void send(std::string_view bytes);
    // Sends `bytes` in pieces of `pieceSize`, each its own send.
    void sendInPieces(std::string_view bytes, std::size_t pieceSize);
    // Sends `bytes` one byte at a time, `gapMs` apart, until all are sent or the client has
    // gone away (a server that keeps a client waiting without ever falling silent).
    void trickle(std::string_view bytes, int gapMs);
    void pause(int milliseconds);
    // Closes the sending side (the client sees the end of the stream), or the whole socket.
    void closeWrite();
    void close();
    // True when the client has closed its end (waits up to the peer's time limit).
    bool clientClosed();
    // Everything received on this connection so far.
    const std::string& received() const noexcept { return received_; }

private:
    bool receiveMore();  // false when the client closed or the wait ran out

    int socket_;
    std::string pending_;   // received but not yet returned
    std::string received_;  // all bytes received
    bool clientEof_ = false;
};

// The loopback address a server listens on: 127.0.0.1 or ::1.
enum class Loopback { IPv4, IPv6 };

// True when this machine can listen on ::1 (a test of IPv6 skips without it).
bool ipv6LoopbackAvailable();

class ScriptedServer {
public:
    using Script = std::function<void(ScriptedPeer&)>;

    // Runs `script` for each of `connections` accepted connections.
    explicit ScriptedServer(Script script, int connections = 1, Loopback on = Loopback::IPv4);
    // One script per connection, in order.
    explicit ScriptedServer(std::vector<Script> scripts, Loopback on = Loopback::IPv4);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const noexcept { return port_; }
    // "http://127.0.0.1:<port>" or "http://[::1]:<port>", followed by `path`.
    std::string url(std::string_view path = "/") const;
    // Waits until every script has run or the accept wait ran out.
    void join();
    // Connections accepted so far.
    int accepted() const noexcept { return accepted_; }
    // Everything the server received from clients, in order, across connections.
    std::string received() const;
    // Empty, or the error a script raised.
    std::string failure() const;

private:
    void run(std::vector<Script> scripts);

    int listener_ = -1;
    int port_ = 0;
    Loopback on_;
    std::atomic<int> accepted_{0};
    mutable std::mutex mutex_;
    std::string failure_;
    std::string received_;
    std::thread thread_;
};

// A port on 127.0.0.1 on which nothing listens (a connection to it is refused).
int unusedLoopbackPort();

// A server on 127.0.0.1 that never answers: the system completes each connection (up to its
// backlog), takes the request's bytes, and nothing ever comes back, until the object goes.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int port() const noexcept { return port_; }
    std::string url(std::string_view path = "/") const;

private:
    int listener_ = -1;
    int port_ = 0;
};

}  // namespace wispel::test
