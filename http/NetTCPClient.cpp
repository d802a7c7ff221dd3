#include "http/NetTCPClient.h"

#include <netinet/in.h>
#include <netinet/tcp.h>

#include "http/NetConnectionIntercept.h"
#include "http/NetException.h"
#include "http/NetStack.h"

namespace wispel {

TNetTCPClient::TNetTCPClient(TComponent* owner)
    : TNetTCPConnection(owner), socksInfo_(std::make_unique<TSocksInfo>()) {}

void TNetTCPClient::DoOnConnected() {
    if (OnConnected) OnConnected(this);
}

void TNetTCPClient::Connect() {
    if (Binding().HandleAllocated()) throw ENetAlreadyConnected("Already connected.");
    ResetConnection();
    Binding().AllocateSocket();
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
    TNetSocketHandle& socket = Binding();
    socket.SetIP(BoundIP);
    socket.SetPort(0);
    socket.Bind();
    bool viaSocks = SocksInfo().Version != TSocksVersion::svNoSocks;
    const std::string& host = viaSocks ? SocksInfo().Host : Host;
    bool cut = false;
    waitWithinDeadline(kNoTimeLimit, cut);  // a deadline already passed ends it here
    if (!TNetStack::IsIP(host)) DoStatus(TNetStatus::hsResolving, {host});
    socket.SetPeer(TNetStack::Instance().ResolveHost(host), viaSocks ? SocksInfo().Port : Port);
    if (!UseNagle) socket.SetSockOpt(IPPROTO_TCP, TCP_NODELAY, 1);
    DoStatus(TNetStatus::hsConnecting, {socket.PeerIP()});
    int wait = waitWithinDeadline(ConnectTimeout > 0 ? ConnectTimeout : kNoTimeLimit, cut);
    checkSocketResult(socket.Connect(wait));
    if (InterceptEnabled()) Intercept()->Connect(&socket);
    if (viaSocks) throw ENetSocksError("SOCKS negotiation is not supported.");
}

}  // namespace wispel
