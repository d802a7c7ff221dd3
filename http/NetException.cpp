#include "http/NetException.h"

#include "core/Format.h"
#include "http/SocketErrors.h"

namespace wispel {

ENetSocketError::ENetSocketError(int code)
    : ENetException(formatMessage("Socket Error # %d\r\n%s", {code, socketErrorText(code)})),
      lastError_(code) {}

}  // namespace wispel
