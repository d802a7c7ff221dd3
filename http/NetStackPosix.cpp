#include "http/NetStackPosix.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/Posix.h"
#include "http/NetException.h"
#include "http/SocketErrors.h"

namespace wispel {

namespace {

constexpr std::size_t kMaxSelectSet = 64;

sockaddr_in makeAddress(const std::string& ip, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    // Every field is decimal: "010" is 10 here, where the C library would read octal 8.
    address.sin_addr.s_addr =
        ip.empty() ? htonl(INADDR_ANY) : TNetStack::TranslateStringToTInAddr(ip);
    return address;
}

void readAddress(const sockaddr_in& address, std::string& ip, int& port) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    ip = text;
    port = ntohs(address.sin_port);
}

bool setBlocking(int socket, bool blocking) {
    int flags = fcntl(socket, F_GETFL);
    if (flags < 0) return false;
    flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(socket, F_SETFL, flags) == 0;
}

// poll, repeated after a signal with only the time that is left, so that signals arriving
// now and then cannot stretch a time limit without end.
int pollWithin(pollfd* entries, std::size_t count, int timeLimitMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(std::max(timeLimitMs, 0));
    int wait = timeLimitMs == kNoTimeLimit ? -1 : timeLimitMs;
    for (;;) {
        int ready = ::poll(entries, count, wait);
        if (!(ready == -1 && errno == EINTR)) return ready;
        if (timeLimitMs == kNoTimeLimit) continue;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
        wait = static_cast<int>(std::max<std::int64_t>(left, 0));
    }
}

}  // namespace

TNetStackWinsock::TNetStackWinsock() = default;

int TNetStackWinsock::fail() {
    lastError_ = socketErrorFromErrno(errno);
    return -1;
}

int TNetStackWinsock::CreateSocket() {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return s < 0 ? fail() : s;
}

int TNetStackWinsock::Bind(int socket, const std::string& ip, int port) {
    sockaddr_in address = makeAddress(ip, port);
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return fail();
    return 0;
}

// Connecting without blocking lets a time limit apply; the socket is blocking again after.
int TNetStackWinsock::Connect(int socket, const std::string& ip, int port, int timeLimitMs) {
    sockaddr_in address = makeAddress(ip, port);
    if (!setBlocking(socket, false)) return fail();
    int result = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (result != 0) {
        result = errno == EINPROGRESS ? waitConnected(socket, timeLimitMs) : fail();
    }
    if (!setBlocking(socket, true) && result == 0) return fail();
    return result;
}

int TNetStackWinsock::waitConnected(int socket, int timeLimitMs) {
    pollfd entry{socket, POLLOUT, 0};
    int ready = pollWithin(&entry, 1, timeLimitMs);
    if (ready < 0) return fail();
    if (ready == 0) {
        lastError_ = netcode::kTimedOut;
        return -1;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return fail();
    if (error != 0) {
        lastError_ = socketErrorFromErrno(error);
        return -1;
    }
    return 0;
}

std::int64_t TNetStackWinsock::Send(int socket, const void* bytes, std::int64_t count, bool more) {
    int flags = MSG_NOSIGNAL | (more ? MSG_MORE : 0);
    auto sent = retryOnEintr([&] { return ::send(socket, bytes, count, flags); });
    return sent < 0 ? fail() : sent;
}

std::int64_t TNetStackWinsock::Recv(int socket, void* bytes, std::int64_t count) {
    auto received = retryOnEintr([&] { return ::recv(socket, bytes, count, 0); });
    return received < 0 ? fail() : received;
}

int TNetStackWinsock::Select(const std::vector<int>& sockets, int timeLimitMs) {
    if (sockets.size() > kMaxSelectSet) throw ENetStackSetSizeExceeded("Set Size Exceeded.");
    std::vector<pollfd> entries;
    for (int s : sockets) entries.push_back({s, POLLIN, 0});
    int ready = pollWithin(entries.data(), entries.size(), timeLimitMs);
    return ready < 0 ? fail() : ready;
}

void TNetStackWinsock::Close(int socket) {
    ::shutdown(socket, SHUT_WR);
    ::close(socket);
}

int TNetStackWinsock::SetSockOpt(int socket, int level, int option, int value) {
    if (::setsockopt(socket, level, option, &value, sizeof value) != 0) return fail();
    return 0;
}

int TNetStackWinsock::SetReceiveTimeout(int socket, int timeLimitMs) {
    timeval limit{timeLimitMs / 1000, (timeLimitMs % 1000) * 1000};
    if (::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) return fail();
    return 0;
}

bool TNetStackWinsock::LocalAddress(int socket, std::string& ip, int& port) {
    return readEnd(::getsockname, socket, ip, port);
}

bool TNetStackWinsock::PeerAddress(int socket, std::string& ip, int& port) {
    return readEnd(::getpeername, socket, ip, port);
}

bool TNetStackWinsock::readEnd(EndReader reader, int socket, std::string& ip, int& port) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (reader(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        fail();
        return false;
    }
    readAddress(address, ip, port);
    return true;
}

std::string TNetStackWinsock::LookupHost(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (result != 0 || found == nullptr) {
        lastError_ = result != 0 ? socketErrorFromLookup(result) : netcode::kNoData;
        throw ENetSocketError(lastError_);
    }
    std::string ip;
    int port;
    readAddress(*reinterpret_cast<sockaddr_in*>(found->ai_addr), ip, port);
    ::freeaddrinfo(found);
    return ip;
}

std::vector<std::string> TNetStackWinsock::ReadLocalAddresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return addresses;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        std::string ip;
        int port;
        readAddress(*reinterpret_cast<sockaddr_in*>(entry->ifa_addr), ip, port);
        addresses.push_back(ip);
    }
    ::freeifaddrs(list);
    return addresses;
}

}  // namespace wispel
