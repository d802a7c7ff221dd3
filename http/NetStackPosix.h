#pragma once
// The socket stack over POSIX sockets and poll. Error codes are the client's socket error
// codes (see SocketErrors.h), mapped from errno. The class keeps the name the client has
// always used for its concrete stack, although no Winsock is behind it here.

#include <sys/socket.h>

#include "http/NetStack.h"

namespace wispel {

class TNetStackWinsock : public TNetStack {
public:
    TNetStackWinsock();

    int CreateSocket(bool ipv6 = false) override;
    int Bind(int socket, const std::string& ip, int port) override;
    int Connect(int socket, const std::string& ip, int port, int timeLimitMs) override;
    std::int64_t Send(int socket, const void* bytes, std::int64_t count, bool more) override;
    std::int64_t Recv(int socket, void* bytes, std::int64_t count) override;
    int Select(const std::vector<int>& sockets, int timeLimitMs) override;
    void Close(int socket) override;
    int SetSockOpt(int socket, int level, int option, int value) override;
    int SetReceiveTimeout(int socket, int timeLimitMs) override;
    bool LocalAddress(int socket, std::string& ip, int& port) override;
    bool PeerAddress(int socket, std::string& ip, int& port) override;
    std::vector<std::string> LookupHostAddresses(const std::string& name) override;
    std::vector<std::string> ReadLocalAddresses() override;
    int LastError() const override;

    const std::string& Description() const noexcept { return description_; }

private:
    using EndReader = int (*)(int, sockaddr*, socklen_t*) noexcept;
    bool readEnd(EndReader reader, int socket, std::string& ip, int& port);
    int fail();  // records errno as the last error and returns -1
    int waitConnected(int socket, int timeLimitMs);

    std::string description_ = "Winsock stack";
};

}  // namespace wispel
