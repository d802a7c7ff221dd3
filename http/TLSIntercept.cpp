#include "http/TLSIntercept.h"

#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>

#include "core/Posix.h"
#include "http/NetException.h"
#include "http/NetSocketHandle.h"
#include "http/NetStack.h"
#include "http/SocketErrors.h"

namespace wispel {

namespace {

// Received records are read from the socket in blocks this large, so that a fast sender
// costs few receives.
constexpr int kReadAheadSize = 128 * 1024;

// The reason of the last OpenSSL error in words, and the queue emptied for the next call.
std::string openSslReason(const char* otherwise) {
    unsigned long code = ERR_peek_last_error();
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    ERR_clear_error();
    return reason != nullptr ? reason : otherwise;
}

// OpenSSL writes to the socket without MSG_NOSIGNAL: a peer that has closed would stop the
// program with SIGPIPE instead of failing the write with EPIPE. The signal is held back on
// this thread for the call, and one it raised is taken away before it is let through.
class SigPipeHeld {
public:
    SigPipeHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        pendingBefore_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigPipeHeld() {
        int savedErrno = errno;
        sigset_t pending;
        sigpending(&pending);
        if (!pendingBefore_ && sigismember(&pending, SIGPIPE) == 1) {
            timespec none{};
            retryOnEintr([&] { return sigtimedwait(&pipe_, nullptr, &none); });
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
        errno = savedErrno;
    }
    SigPipeHeld(const SigPipeHeld&) = delete;
    SigPipeHeld& operator=(const SigPipeHeld&) = delete;

private:
    sigset_t pipe_;
    sigset_t old_;
    bool pendingBefore_ = false;
};

}  // namespace

TNetTLSIntercept::TNetTLSIntercept(TComponent* owner) : TNetSecureIntercept(owner) {}

TNetTLSIntercept::~TNetTLSIntercept() {
    Disconnect();
    SSL_CTX_free(context_);
}

ssl_ctx_st* TNetTLSIntercept::context() {
    if (context_ != nullptr) return context_;
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (context == nullptr) {
        throw ENetTLSError("TLS handshake failed: " + openSslReason("no TLS context"));
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    // The system's store, or what SSL_CERT_FILE and SSL_CERT_DIR name instead.
    SSL_CTX_set_default_verify_paths(context);
    // A server that closes without saying so ends the stream as a plain close does; the
    // reply's own framing tells a cut-off body.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_read_ahead(context, 1);
    SSL_CTX_set_default_read_buffer_len(context, kReadAheadSize);
    context_ = context;
    return context_;
}

void TNetTLSIntercept::Connect(TNetSocketHandle* socket) {
    Disconnect();
    socket_ = socket;
    // The waits are ours (poll with the time limits), never a blocking call inside OpenSSL
    // or, for a proxy tunnel, the socket.
    int fd = socket->Handle();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (OnConnectHook) OnConnectHook();  // a proxy tunnel is opened in plain text first
    if (ServerName.empty()) throw ENetTLSError("TLS handshake failed: no server name");
    session_ = SSL_new(context());
    if (session_ == nullptr)
        throw ENetTLSError("TLS handshake failed: " + openSslReason("no session"));
    SSL_set_fd(session_, fd);
    if (TNetStack::IsIP(ServerName) || TNetStack::IsIPv6(ServerName)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(session_), ServerName.c_str());
    } else {
        SSL_set_tlsext_host_name(session_, ServerName.c_str());
        SSL_set1_host(session_, ServerName.c_str());
    }
    handshake();
}

void TNetTLSIntercept::Disconnect() {
    SSL_free(session_);  // the socket is closed already: no closing alert is sent
    session_ = nullptr;
    socket_ = nullptr;
}

void TNetTLSIntercept::handshake() {
    for (;;) {
        ERR_clear_error();
        int result = SSL_connect(session_);
        if (result == 1) return;
        int error = SSL_get_error(session_, result);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            raiseHandshakeFailure(error);
        }
        waitFor(error);
    }
}

void TNetTLSIntercept::waitFor(int sslError) {
    short event = sslError == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN;
    pollfd entry{socket_->Handle(), event, 0};
    std::int64_t limit = ReadTimeout > 0 ? ReadTimeout : -1;
    if (Deadline) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(*Deadline -
                                                                 std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) throw ENetSocketError(netcode::kTimedOut);
        if (limit < 0 || left < limit) limit = left;
    }
    int ready = retryOnEintr([&] {
        return ::poll(&entry, 1, static_cast<int>(std::min<std::int64_t>(limit, INT32_MAX)));
    });
    if (ready == 0) throw ENetSocketError(netcode::kTimedOut);
    if (ready < 0) throw ENetSocketError(socketErrorFromErrno(errno));
}

void TNetTLSIntercept::raiseHandshakeFailure(int sslError) {
    long verified = SSL_get_verify_result(session_);
    switch (verified) {
        case X509_V_OK:
            break;
        case X509_V_ERR_CERT_HAS_EXPIRED:
            throw ENetTLSError("certificate has expired");
        case X509_V_ERR_CERT_NOT_YET_VALID:
            throw ENetTLSError("certificate is not yet valid");
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            throw ENetTLSError("certificate does not match host '" + ServerName + "'");
        default:
            throw ENetTLSError("certificate is not trusted");
    }
    std::string reason = sslError == SSL_ERROR_SYSCALL || sslError == SSL_ERROR_ZERO_RETURN
                             ? openSslReason("the server closed the connection")
                             : openSslReason("unknown error");
    throw ENetTLSError("TLS handshake failed: " + reason);
}

void TNetTLSIntercept::raiseTransferFailure(int sslError) {
    if (sslError == SSL_ERROR_SYSCALL && errno != 0) {
        ERR_clear_error();
        throw ENetSocketError(socketErrorFromErrno(errno));
    }
    throw ENetTLSError("TLS connection failed: " + openSslReason("unknown error"));
}

// The proxy tunnel, before the handshake: the socket's own calls, which do not wait. A send
// waits for room itself; a receive leaves the wait to the connection (-1).
std::int64_t TNetTLSIntercept::plainTransfer(void* bytes, std::int64_t count, bool sending) {
    for (;;) {
        std::int64_t n = sending ? socket_->Send(bytes, count) : socket_->Recv(bytes, count);
        if (n >= 0) return n;
        int code = TNetStack::Instance().LastError();
        if (code != netcode::kWouldBlock) throw ENetSocketError(code);
        if (!sending) return -1;
        waitFor(SSL_ERROR_WANT_WRITE);
    }
}

// Takes every record that has arrived, up to `count` bytes, so that one call of the
// connection moves as much as the socket had.
std::int64_t TNetTLSIntercept::Recv(void* bytes, std::int64_t count) {
    if (session_ == nullptr) return plainTransfer(bytes, count, false);
    auto* target = static_cast<char*>(bytes);
    std::int64_t total = 0;
    while (total < count) {
        std::size_t got = 0;
        ERR_clear_error();
        errno = 0;
        if (SSL_read_ex(session_, target + total, static_cast<std::size_t>(count - total), &got) ==
            1) {
            total += static_cast<std::int64_t>(got);
            continue;
        }
        int error = SSL_get_error(session_, 0);
        if (total > 0) break;  // what was taken goes first; the next call meets the rest
        switch (error) {
            case SSL_ERROR_WANT_READ:
                return -1;
            case SSL_ERROR_WANT_WRITE:
                waitFor(error);
                break;
            case SSL_ERROR_ZERO_RETURN:
                return 0;
            default:
                raiseTransferFailure(error);
        }
    }
    return total;
}

std::int64_t TNetTLSIntercept::Send(const void* bytes, std::int64_t count) {
    SigPipeHeld held;
    if (session_ == nullptr) return plainTransfer(const_cast<void*>(bytes), count, true);
    for (;;) {
        std::size_t written = 0;
        ERR_clear_error();
        errno = 0;
        if (SSL_write_ex(session_, bytes, static_cast<std::size_t>(count), &written) == 1) {
            return static_cast<std::int64_t>(written);
        }
        int error = SSL_get_error(session_, 0);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            raiseTransferFailure(error);
        waitFor(error);
    }
}

}  // namespace wispel
