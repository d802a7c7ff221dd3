#pragma once
// The socket error codes of the client and their texts. The codes are those the client has
// always reported (10061 for a refused connection, ...); the POSIX errno values and name
// lookup errors of this platform are mapped onto them.

#include <string>

namespace wispel {

namespace netcode {
constexpr int kInterrupted = 10004;
constexpr int kWouldBlock = 10035;
constexpr int kAddressInUse = 10048;
constexpr int kShutdown = 10058;  // cannot send or receive after the socket is closed
constexpr int kTimedOut = 10060;
constexpr int kRefused = 10061;
// Name lookup errors; they have no text.
constexpr int kHostNotFound = 11001;
constexpr int kTryAgain = 11002;
constexpr int kNoRecovery = 11003;
constexpr int kNoData = 11004;
}  // namespace netcode

// The text of a socket error code; empty for codes without one.
std::string socketErrorText(int code);
// The socket error code for an errno value; unknown values keep their own number.
int socketErrorFromErrno(int error);
// The socket error code for a getaddrinfo result.
int socketErrorFromLookup(int result);

}  // namespace wispel
