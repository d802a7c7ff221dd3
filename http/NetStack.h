#pragma once
// The process-wide socket stack: the one thin interface through which the client reaches
// the operating system's sockets. One instance exists while any network component lives;
// the first component creates it and the last one destroys it. Components on several
// threads may share it: it keeps no state of one call for the next, except the last error,
// which is the calling thread's own.
//
// Calls that fail return -1 and leave the socket error code in LastError(); the caller
// decides whether that code is acceptable or raises ENetSocketError.

#include <cstdint>
#include <memory>
#include <mutex>
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

    // A stream socket, IPv4 or IPv6, or -1.
    virtual int CreateSocket(bool ipv6 = false) = 0;
    // Binds to `ip` (empty: any address of the socket's family) and `port` (0: any).
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
    // Every address of a host name, IPv6 and IPv4 alike, as text ("192.0.2.1", "2001:db8::1"),
    // in the order the resolver prefers, without repeats; raises ENetSocketError.
    virtual std::vector<std::string> LookupHostAddresses(const std::string& name) = 0;
    virtual std::vector<std::string> ReadLocalAddresses() = 0;
    // The error code of the last failed call on the calling thread: threads that each use
    // their own sockets never see each other's errors.
    virtual int LastError() const = 0;

    // The first address of a host name; raises ENetSocketError.
    std::string LookupHost(const std::string& name);
    // "LOCALHOST" -> "127.0.0.1", a dotted or IPv6 address -> itself, any other name is
    // looked up.
    std::string ResolveHost(const std::string& host);
    // The addresses to try in turn for `host`: "LOCALHOST" is 127.0.0.1 and then ::1, an
    // address is itself, any other name is looked up.
    std::vector<std::string> ResolveHostAddresses(const std::string& host);
    // The local addresses, read on first request.
    const std::vector<std::string>& LocalAddresses();

    // Four dot-separated integers from 0 to 255.
    static bool IsIP(const std::string& text);
    // An IPv6 address in text form, without brackets ("::1").
    static bool IsIPv6(const std::string& text);
    // The 4-byte address in network order; a field that is not an integer raises EConvertError.
    static std::uint32_t TranslateStringToTInAddr(const std::string& text);

private:
    std::mutex localAddressesMutex_;  // the list is read once, by whichever thread asks first
    std::vector<std::string> localAddresses_;
    bool localAddressesRead_ = false;
};

}  // namespace wispel
