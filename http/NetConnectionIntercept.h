#pragma once
// A component that can be attached to a connection to watch or take over its traffic (for
// example a secure-connection layer). The connection tells it of connecting, every block
// received and sent, and disconnecting; when it takes over receiving or sending, the
// connection's bytes go through it instead of the socket.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "http/NetComponent.h"

namespace wispel {

class TNetSocketHandle;

class TNetConnectionIntercept : public TNetBaseComponent {
public:
    using TNetBaseComponent::TNetBaseComponent;

    // `socket` stays owned by the connection and lives until Disconnect.
    virtual void Connect(TNetSocketHandle* /*socket*/) {}
    virtual void Disconnect() {}
    virtual void DataReceived(const char* /*bytes*/, std::int64_t /*count*/) {}
    virtual void DataSent(const char* /*bytes*/, std::int64_t /*count*/) {}

    // When true, Recv and Send replace the socket calls. Recv answers without waiting: the
    // bytes it has (up to `count`), 0 when the peer has closed, or -1 when it needs the
    // socket to become readable first (the connection waits for that with its time
    // limits). Send returns the count it has taken. Both raise their own errors.
    virtual bool TakesOverReceiving() const { return false; }
    virtual bool TakesOverSending() const { return false; }
    virtual std::int64_t Recv(void* /*bytes*/, std::int64_t /*count*/) { return 0; }
    virtual std::int64_t Send(const void* /*bytes*/, std::int64_t /*count*/) { return 0; }
};

// The kind of intercept that secures a connection; HTTPS requires one. Through a proxy it
// opens the tunnel with the connect hook before its own handshake.
class TNetSecureIntercept : public TNetConnectionIntercept {
public:
    using TNetConnectionIntercept::TNetConnectionIntercept;

    std::function<void()> OnConnectHook;  // unset unless a proxy tunnel is needed
    // Set by the client before it connects: the host name (or IP address) the peer must
    // prove to be, and the time limits of the connection.
    std::string ServerName;
    int ReadTimeout = 0;  // ms without any byte arriving; 0 or less: no limit
    std::optional<std::chrono::steady_clock::time_point> Deadline;  // none: no total limit
};

}  // namespace wispel
