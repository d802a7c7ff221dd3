#pragma once
// One socket of the stack with the addresses of both ends. The handle owns the socket and
// closes it when it is closed or destroyed.
//
// Threads: a handle is used by one thread, except Abort, which any thread may call at any
// time to end whatever that thread is waiting for on the socket.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace wispel {

class TNetSocketHandle {
public:
    TNetSocketHandle() = default;
    ~TNetSocketHandle();
    TNetSocketHandle(const TNetSocketHandle&) = delete;
    TNetSocketHandle& operator=(const TNetSocketHandle&) = delete;

    // Closes any previous socket and creates a stream socket (IPv6 or IPv4); raises
    // ENetInvalidSocket.
    void AllocateSocket(bool ipv6 = false);
    // Shuts down sending and closes; `resetLocal` also forgets the local address.
    void CloseSocket(bool resetLocal = true);
    // Binds to IP (empty: any address) and Port; raises ENetCouldNotBindSocket when the
    // address is in use, ENetSocketError otherwise.
    void Bind();
    void SetPeer(const std::string& ip, int port);
    // Connects to the peer; returns the stack's result (0, or -1 with its last error).
    int Connect(int timeLimitMs);
    std::int64_t Send(const void* bytes, std::int64_t count, bool more = false);
    std::int64_t Recv(void* bytes, std::int64_t count);
    void SetSockOpt(int level, int option, int value);
    // Makes Recv give up after `timeLimitMs` (0: never) with code 10035; set once per value.
    void SetReceiveTimeout(int timeLimitMs);
    // True when the socket becomes readable within the time limit (ms or kNoTimeLimit);
    // raises ENetConnClosedGracefully when no socket is allocated.
    bool Readable(int timeLimitMs);
    // Resets every field of a closed handle.
    void Reset(bool resetLocal = true);

    // Ends the socket's use for good, from any thread: a wait of the owning thread in
    // connect, send, receive or poll returns at once and fails, so does every later call on
    // the socket, and allocating another socket raises ENetSocketError 10004. The socket
    // number stays the handle's until it closes it, so no other socket can be hit.
    void Abort();
    bool Aborted() const;

    int Handle() const noexcept { return handle_; }
    bool HandleAllocated() const noexcept { return allocated_; }
    const std::string& IP() const noexcept { return ip_; }
    void SetIP(std::string ip) { ip_ = std::move(ip); }
    int Port() const noexcept { return port_; }
    void SetPort(int port) { port_ = port; }
    const std::string& PeerIP() const noexcept { return peerIP_; }
    int PeerPort() const noexcept { return peerPort_; }

private:
    void readLocalAddress();

    int handle_ = -1;  // socket number; -1 when none
    bool allocated_ = false;
    std::string ip_;  // local address
    std::string peerIP_;
    int port_ = 0;  // local port
    int peerPort_ = 0;
    int receiveTimeout_ = 0;  // the receive time limit set on the socket; 0 = none
    // Guards handle_ and allocated_ where they change, and aborted_, against Abort.
    mutable std::mutex abortMutex_;
    bool aborted_ = false;
};

// Raises ENetSocketError with the stack's last error unless it is one of `acceptable`;
// returns the code when it was acceptable.
int checkSocketResult(std::int64_t result, const std::vector<int>& acceptable = {});

}  // namespace wispel
