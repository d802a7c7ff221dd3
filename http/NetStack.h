#pragma once
// The process-wide socket stack: the one thin interface through which the client reaches
// the operating system's sockets. One instance exists while any network component lives;
// the first component creates it and the last one destroys it.
//
// Calls that fail return -1 and leave the socket error code in LastError(); the caller
// decides whether that code is acceptable or raises ENetSocketError.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace wispel {

constexpr int kNoTimeLimit = -2;  // wait without a time limit

class TNetStack {
public:
    TNetStack() = default;
    virtual ~TNetStack() = default;
    TNetStack(const TNetStack&) = delete;
    TNetStack& operator=(const TNetStack&) = delete;

    // The live stack; only valid while a network component exists.
    static TNetStack& Instance();
    // Counted creation and destruction, called by every network component.
    static void Acquire();
    static void Release();

    // A stream socket (IPv4), or -1.
    virtual int CreateSocket() = 0;
    // Binds to `ip` (empty: any address) and `port` (0: any).
    virtual int Bind(int socket, const std::string& ip, int port) = 0;
    // Connects; `timeLimitMs` of kNoTimeLimit waits as long as the system does. A connection
    // not made in time fails with code 10060.
    virtual int Connect(int socket, const std::string& ip, int port, int timeLimitMs) = 0;
    // `more`: further sends follow at once, so the system may hold these bytes back to go
    // out with them instead of waiting for an acknowledgement in between.
    virtual std::int64_t Send(int socket, const void* bytes, std::int64_t count, bool more) = 0;
    virtual std::int64_t Recv(int socket, void* bytes, std::int64_t count) = 0;
    // Waits until one of `sockets` is readable: the number of readable sockets, 0 when the
    // time ran out, -1 on error. More than 64 sockets raise ENetStackSetSizeExceeded.
    virtual int Select(const std::vector<int>& sockets, int timeLimitMs) = 0;
    // Shuts down sending and closes.
    virtual void Close(int socket) = 0;
    virtual int SetSockOpt(int socket, int level, int option, int value) = 0;
    // Lets a blocking receive give up after `timeLimitMs` (0: never) with code 10035.
    virtual int SetReceiveTimeout(int socket, int timeLimitMs) = 0;
    virtual bool LocalAddress(int socket, std::string& ip, int& port) = 0;
    virtual bool PeerAddress(int socket, std::string& ip, int& port) = 0;
    // The first IPv4 address of a host name in dotted form; raises ENetSocketError.
    virtual std::string LookupHost(const std::string& name) = 0;
    virtual std::vector<std::string> ReadLocalAddresses() = 0;
    virtual int LastError() const = 0;

    // "LOCALHOST" -> "127.0.0.1", a dotted address -> itself, any other name is looked up.
    std::string ResolveHost(const std::string& host);
    // The local addresses, read on first request.
    const std::vector<std::string>& LocalAddresses();

    // Four dot-separated integers from 0 to 255.
    static bool IsIP(const std::string& text);
    // The 4-byte address in network order; a field that is not an integer raises EConvertError.
    static std::uint32_t TranslateStringToTInAddr(const std::string& text);

private:
    std::vector<std::string> localAddresses_;
    bool localAddressesRead_ = false;
};

}  // namespace wispel
