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

// The last error is per thread, as errno is: one stack serves every thread's sockets.
thread_local int tLastError = 0;

// One socket address of either family; `length` is what the system calls take.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
    sockaddr* get() { return reinterpret_cast<sockaddr*>(&storage); }
};

// An IPv6 address when `ip` is one, else an IPv4 address (empty: any address of `family`).
SocketAddress makeAddress(const std::string& ip, int port, int family) {
    SocketAddress address;
    auto portBytes = htons(static_cast<std::uint16_t>(port));
    if (ip.empty() ? family == AF_INET6 : TNetStack::IsIPv6(ip)) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address.storage);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = portBytes;
        v6.sin6_addr = in6addr_any;
        if (!ip.empty()) ::inet_pton(AF_INET6, ip.c_str(), &v6.sin6_addr);
        address.length = sizeof v6;
        return address;
    }
    auto& v4 = reinterpret_cast<sockaddr_in&>(address.storage);
    v4.sin_family = AF_INET;
    v4.sin_port = portBytes;
    // Every field is decimal: "010" is 10 here, where the C library would read octal 8.
    v4.sin_addr.s_addr = ip.empty() ? htonl(INADDR_ANY) : TNetStack::TranslateStringToTInAddr(ip);
    address.length = sizeof v4;
    return address;
}

// The address as text and its port; false for a family other than IPv4 and IPv6.
bool readAddress(const sockaddr* address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (address->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    } else {
        return false;
    }
    ip = text;
    return true;
}

int socketFamily(int socket) {
    int family = AF_INET;
    socklen_t length = sizeof family;
    ::getsockopt(socket, SOL_SOCKET, SO_DOMAIN, &family, &length);
    return family;
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
    tLastError = socketErrorFromErrno(errno);
    return -1;
}

int TNetStackWinsock::LastError() const {
    return tLastError;
}

int TNetStackWinsock::CreateSocket(bool ipv6) {
    int s = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return s < 0 ? fail() : s;
}

int TNetStackWinsock::Bind(int socket, const std::string& ip, int port) {
    SocketAddress address = makeAddress(ip, port, socketFamily(socket));
    if (::bind(socket, address.get(), address.length) != 0) return fail();
    return 0;
}

// Connecting without blocking lets a time limit apply; the socket is blocking again after.
int TNetStackWinsock::Connect(int socket, const std::string& ip, int port, int timeLimitMs) {
    SocketAddress address = makeAddress(ip, port, socketFamily(socket));
    if (!setBlocking(socket, false)) return fail();
    int result = ::connect(socket, address.get(), address.length);
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
        tLastError = netcode::kTimedOut;
        return -1;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return fail();
    if (error != 0) {
        tLastError = socketErrorFromErrno(error);
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
    SocketAddress address;
    address.length = sizeof address.storage;
    if (reader(socket, address.get(), &address.length) != 0) {
        fail();
        return false;
    }
    return readAddress(address.get(), ip, port);
}

std::vector<std::string> TNetStackWinsock::LookupHostAddresses(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    std::vector<std::string> addresses;
    for (addrinfo* entry = result == 0 ? found : nullptr; entry != nullptr; entry = entry->ai_next) {
        std::string ip;
        int port;
        if (!readAddress(entry->ai_addr, ip, port)) continue;
        if (std::find(addresses.begin(), addresses.end(), ip) == addresses.end()) {
            addresses.push_back(ip);
        }
    }
    if (found != nullptr) ::freeaddrinfo(found);
    if (addresses.empty()) {
        tLastError = result != 0 ? socketErrorFromLookup(result) : netcode::kNoData;
        throw ENetSocketError(tLastError);
    }
    return addresses;
}

std::vector<std::string> TNetStackWinsock::ReadLocalAddresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return addresses;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        std::string ip;
        int port;
        readAddress(entry->ifa_addr, ip, port);
        addresses.push_back(ip);
    }
    ::freeifaddrs(list);
    return addresses;
}

}  // namespace wispel
