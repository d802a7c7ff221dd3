#include "http/NetSocketHandle.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "http/NetException.h"
#include "http/NetStack.h"
#include "http/SocketErrors.h"

namespace wispel {

int checkSocketResult(std::int64_t result, const std::vector<int>& acceptable) {
    if (result != -1) return 0;
    int code = TNetStack::Instance().LastError();
    if (std::find(acceptable.begin(), acceptable.end(), code) != acceptable.end()) return code;
    throw ENetSocketError(code);
}

TNetSocketHandle::~TNetSocketHandle() {
    CloseSocket();
}

void TNetSocketHandle::AllocateSocket(bool ipv6) {
    if (allocated_) CloseSocket();
    std::lock_guard<std::mutex> lock(abortMutex_);
    if (aborted_) throw ENetSocketError(netcode::kInterrupted);
    int s = TNetStack::Instance().CreateSocket(ipv6);
    if (s < 0) throw ENetInvalidSocket("Cannot allocate socket.");
    handle_ = s;
    allocated_ = true;
}

void TNetSocketHandle::CloseSocket(bool resetLocal) {
    if (!allocated_) return;
    {
        std::lock_guard<std::mutex> lock(abortMutex_);
        allocated_ = false;
        TNetStack::Instance().Close(handle_);
    }
    Reset(resetLocal);
}

void TNetSocketHandle::Reset(bool resetLocal) {
    {
        std::lock_guard<std::mutex> lock(abortMutex_);
        handle_ = -1;
    }
    receiveTimeout_ = 0;
    peerIP_.clear();
    peerPort_ = 0;
    if (resetLocal) {
        ip_.clear();
        port_ = 0;
    }
}

namespace {

// Puts a socket that can do nothing in place of `socket`, keeping its number: a connected
// end whose peer is gone, so that receiving ends at once, sending fails and connecting to
// an internet address is refused. What already waits on the old socket was woken by the
// shutdown before; what comes after meets this one.
void replaceWithDeadSocket(int socket) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return;
    ::close(pair[1]);
    ::dup3(pair[0], socket, O_CLOEXEC);
    ::close(pair[0]);
}

}  // namespace

void TNetSocketHandle::Abort() {
    std::lock_guard<std::mutex> lock(abortMutex_);
    aborted_ = true;
    if (!allocated_) return;
    // Shutting down wakes a connect, poll or receive under way; it does not free the number.
    ::shutdown(handle_, SHUT_RDWR);
    replaceWithDeadSocket(handle_);
}

bool TNetSocketHandle::Aborted() const {
    std::lock_guard<std::mutex> lock(abortMutex_);
    return aborted_;
}

void TNetSocketHandle::Bind() {
    auto& stack = TNetStack::Instance();
    if (stack.Bind(handle_, ip_, port_) != 0) {
        if (stack.LastError() == netcode::kAddressInUse) {
            throw ENetCouldNotBindSocket(
                "Could not bind socket. Address and port are already in use.");
        }
        throw ENetSocketError(stack.LastError());
    }
    readLocalAddress();
}

void TNetSocketHandle::readLocalAddress() {
    TNetStack::Instance().LocalAddress(handle_, ip_, port_);
}

void TNetSocketHandle::SetPeer(const std::string& ip, int port) {
    peerIP_ = ip;
    peerPort_ = port;
}

int TNetSocketHandle::Connect(int timeLimitMs) {
    auto& stack = TNetStack::Instance();
    int result = stack.Connect(handle_, peerIP_, peerPort_, timeLimitMs);
    if (result == 0) {
        readLocalAddress();
        stack.PeerAddress(handle_, peerIP_, peerPort_);
    }
    return result;
}

std::int64_t TNetSocketHandle::Send(const void* bytes, std::int64_t count, bool more) {
    return TNetStack::Instance().Send(handle_, bytes, count, more);
}

std::int64_t TNetSocketHandle::Recv(void* bytes, std::int64_t count) {
    return TNetStack::Instance().Recv(handle_, bytes, count);
}

void TNetSocketHandle::SetSockOpt(int level, int option, int value) {
    checkSocketResult(TNetStack::Instance().SetSockOpt(handle_, level, option, value));
}

void TNetSocketHandle::SetReceiveTimeout(int timeLimitMs) {
    if (timeLimitMs == receiveTimeout_) return;
    checkSocketResult(TNetStack::Instance().SetReceiveTimeout(handle_, timeLimitMs));
    receiveTimeout_ = timeLimitMs;
}

bool TNetSocketHandle::Readable(int timeLimitMs) {
    if (!allocated_) throw ENetConnClosedGracefully("Connection Closed Gracefully.");
    int ready = TNetStack::Instance().Select({handle_}, timeLimitMs);
    checkSocketResult(ready);
    return ready > 0;
}

}  // namespace wispel
