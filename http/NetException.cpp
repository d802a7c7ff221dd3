#include "http/NetException.h"

#include "core/Format.h"
#include "http/SocketErrors.h"

namespace wispel {

ENetSocketError::ENetSocketError(int code)
    : ENetException(formatMessage("Socket Error # %d\r\n%s", {code, socketErrorText(code)})),
      lastError_(code) {}

void raiseMalformed(const char* message) {
    throw ENetProtocolError(message);
}

void raiseBodyTooLarge(std::int64_t limit) {
    throw ENetBodyTooLarge(formatMessage("Body larger than %d bytes.", {limit}));
}

}  // namespace wispel
