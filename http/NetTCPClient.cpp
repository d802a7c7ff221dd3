#include "http/NetTCPClient.h"

#include <netinet/in.h>
#include <netinet/tcp.h>

#include <algorithm>
#include <chrono>

#include "http/NetConnectionIntercept.h"
#include "http/NetException.h"
#include "http/NetStack.h"
#include "http/SocketErrors.h"

namespace wispel {

TNetTCPClient::TNetTCPClient(TComponent* owner)
    : TNetTCPConnection(owner), socksInfo_(std::make_unique<TSocksInfo>()) {}

void TNetTCPClient::DoOnConnected() {
    if (OnConnected) OnConnected(this);
}

void TNetTCPClient::Connect() {
    if (Binding().HandleAllocated()) throw ENetAlreadyConnected("Already connected.");
    ResetConnection();
    try {
        openSocket();
    } catch (...) {
        try {
            Disconnect();
        } catch (...) {
            // the error of the connect attempt is the one worth reporting
        }
        throw;
    }
    DoStatus(TNetStatus::hsConnected, {Binding().PeerIP()});
    DoOnConnected();
}

void TNetTCPClient::openSocket() {
    bool viaSocks = SocksInfo().Version != TSocksVersion::svNoSocks;
    const std::string& host = viaSocks ? SocksInfo().Host : Host;
    bool cut = false;
    waitWithinDeadline(kNoTimeLimit, cut);  // a deadline already passed ends it here
    if (!TNetStack::IsIP(host) && !TNetStack::IsIPv6(host)) {
        DoStatus(TNetStatus::hsResolving, {host});
    }
    std::vector<std::string> addresses = TNetStack::Instance().ResolveHostAddresses(host);
    // A bound local address can only reach peers of its own family.
    if (!BoundIP.empty()) {
        bool boundIPv6 = TNetStack::IsIPv6(BoundIP);
        std::erase_if(addresses, [&](const std::string& ip) { return TNetStack::IsIPv6(ip) != boundIPv6; });
    }
    connectToOneOf(addresses, viaSocks ? SocksInfo().Port : Port);
    if (InterceptEnabled()) Intercept()->Connect(&Binding());
    if (viaSocks) throw ENetSocksError("SOCKS negotiation is not supported.");
}

// Each address in turn until one answers. They share ConnectTimeout: each gets an equal
// part of what is left, so that one that never answers leaves time for the others, and the
// last gets all that remains. The error of the last attempt is the one reported.
void TNetTCPClient::connectToOneOf(const std::vector<std::string>& addresses, int port) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    int error = netcode::kNoData;  // no address of the bound family
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        int limit = kNoTimeLimit;
        if (ConnectTimeout > 0) {
            auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
            std::int64_t left = ConnectTimeout - spent.count();
            if (left <= 0) {
                error = netcode::kTimedOut;
                break;
            }
            limit = static_cast<int>(std::max<std::int64_t>(left / static_cast<std::int64_t>(addresses.size() - i), 1));
        }
        bool cut = false;
        if (tryAddress(addresses[i], port, waitWithinDeadline(limit, cut), error)) return;
    }
    throw ENetSocketError(error);
}

bool TNetTCPClient::tryAddress(const std::string& ip, int port, int wait, int& error) {
    TNetSocketHandle& socket = Binding();
    socket.AllocateSocket(TNetStack::IsIPv6(ip));
    socket.SetIP(BoundIP);
    socket.SetPort(0);
    socket.Bind();
    socket.SetPeer(ip, port);
    if (!UseNagle) socket.SetSockOpt(IPPROTO_TCP, TCP_NODELAY, 1);
    DoStatus(TNetStatus::hsConnecting, {ip});
    if (socket.Connect(wait) == 0) return true;
    error = TNetStack::Instance().LastError();
    socket.CloseSocket();
    return false;
}

}  // namespace wispel
