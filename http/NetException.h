#pragma once
// The error family of the HTTP client. Every class reports its own name; the messages are
// the client's fixed texts.

#include <cstdint>
#include <string>

#include "core/Exception.h"

namespace wispel {

WISPEL_DECLARE_EXCEPTION(ENetException, Exception);
// Errors that end an operation without being worth a message of their own kind.
WISPEL_DECLARE_EXCEPTION(ENetSilentException, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetConnClosedGracefully, ENetSilentException);

WISPEL_DECLARE_EXCEPTION(ENetStackError, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetStackCanNotLoadWinsock, ENetStackError);
WISPEL_DECLARE_EXCEPTION(ENetStackInitializationFailed, ENetStackError);
WISPEL_DECLARE_EXCEPTION(ENetStackSetSizeExceeded, ENetStackError);

WISPEL_DECLARE_EXCEPTION(ENetAlreadyConnected, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetInvalidSocket, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetCouldNotBindSocket, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetNotEnoughDataInBuffer, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetNoDataToRead, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetInterceptPropIsNil, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetInterceptPropInvalid, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetObjectTypeNotSupported, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetSocksError, ENetException);

// Limits on what a peer may send: a line, the number of header lines, the size of a body.
WISPEL_DECLARE_EXCEPTION(ENetLimitExceeded, ENetException);
WISPEL_DECLARE_EXCEPTION(ENetLineTooLong, ENetLimitExceeded);
WISPEL_DECLARE_EXCEPTION(ENetTooManyHeaders, ENetLimitExceeded);
WISPEL_DECLARE_EXCEPTION(ENetBodyTooLarge, ENetLimitExceeded);

// A reply whose framing cannot be trusted: a malformed chunk or Content-Length, conflicting
// lengths, endless interim replies. The rest of the connection's input cannot be framed.
WISPEL_DECLARE_EXCEPTION(ENetProtocolError, ENetException);
// Raises ENetProtocolError with `message`.
[[noreturn]] void raiseMalformed(const char* message);
// A secure connection that failed: its handshake, the server's certificate, or a record.
WISPEL_DECLARE_EXCEPTION(ENetTLSError, ENetException);
// A compressed body that the client cannot inflate: an unknown coding, or data that is not
// what its Content-Encoding says.
WISPEL_DECLARE_EXCEPTION(ENetContentEncodingError, ENetException);
// A URL the client cannot request, such as one whose port is not a number from 1 to 65535.
WISPEL_DECLARE_EXCEPTION(ENetInvalidURL, ENetException);
// Raises ENetBodyTooLarge for a body above `limit` bytes.
[[noreturn]] void raiseBodyTooLarge(std::int64_t limit);

// A failed socket call: the message is "Socket Error # <code>" CR LF and the code's text.
class ENetSocketError : public ENetException {
public:
    explicit ENetSocketError(int code);
    ENetSocketError(int code, std::string message)
        : ENetException(std::move(message)), lastError_(code) {}
    const char* className() const noexcept override { return "ENetSocketError"; }
    int LastError() const noexcept { return lastError_; }

private:
    int lastError_;
};

// A reply that is not a success: the message is the status line without its version.
class ENetProtocolReplyError : public ENetException {
public:
    ENetProtocolReplyError(int replyCode, std::string message)
        : ENetException(std::move(message)), replyErrorCode_(replyCode) {}
    const char* className() const noexcept override { return "ENetProtocolReplyError"; }
    int ReplyErrorCode() const noexcept { return replyErrorCode_; }

private:
    int replyErrorCode_;
};

}  // namespace wispel
