#pragma once
// A component that can be attached to a connection to watch or take over its traffic (for
// example a secure-connection layer). The connection tells it of connecting, every block
// received and sent, and disconnecting; when it takes over receiving or sending, the
// connection's bytes go through it instead of the socket.

#include <cstdint>
#include <functional>
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

    // When true, Recv and Send replace the socket calls (same results as the socket's).
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
};

}  // namespace wispel
