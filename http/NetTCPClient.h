#pragma once
// The client end of a TCP connection: connects to Host and Port, optionally from BoundIP.
// A host name may stand for several addresses, IPv6 and IPv4: each is tried in turn.
// Connecting gives up after ConnectTimeout milliseconds with ENetSocketError 10060.

#include <string>
#include <vector>

#include "http/NetTCPConnection.h"

namespace wispel {

enum class TSocksVersion { svNoSocks, svSocks4, svSocks4A, svSocks5 };
enum class TSocksAuthentication { saNoAuthentication, saUsernamePassword };

// How to reach the peer through a SOCKS server. Only svNoSocks is supported.
struct TSocksInfo {
    TSocksVersion Version = TSocksVersion::svNoSocks;
    TSocksAuthentication Authentication = TSocksAuthentication::saNoAuthentication;
    std::string Host;
    int Port = 1080;
    std::string UserID;
    std::string Password;
};

constexpr int kDefaultConnectTimeout = 30000;  // ms

class TNetTCPClient : public TNetTCPConnection {
public:
    explicit TNetTCPClient(TComponent* owner = nullptr);

    // Properties.
    std::string BoundIP;
    std::string Host;
    int Port = 0;
    bool UseNagle = true;
    int ConnectTimeout = kDefaultConnectTimeout;  // ms; 0 or less waits as long as the system
    TEvent<TComponent*> OnConnected;
    TSocksInfo& SocksInfo() noexcept { return *socksInfo_; }

    virtual void DoOnConnected();
    // Opens the connection; raises ENetAlreadyConnected when a socket is open. A failed
    // connect leaves the connection closed.
    virtual void Connect();

private:
    void openSocket();
    void connectToOneOf(const std::vector<std::string>& addresses, int port);
    // One connect; false with the socket closed and `error` set when it failed.
    bool tryAddress(const std::string& ip, int port, int wait, int& error);

    std::unique_ptr<TSocksInfo> socksInfo_;
};

}  // namespace wispel
