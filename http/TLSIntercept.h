#pragma once
// The secure-connection intercept, on OpenSSL: TLS 1.2 or newer over the connection's own
// socket. The server's certificate is verified against the system's trust store through
// OpenSSL's default verify paths (so SSL_CERT_FILE and SSL_CERT_DIR apply as users expect)
// and must match ServerName, a host name (also sent as SNI) or an IP address.
//
// Failures raise ENetTLSError with a message in words: "certificate has expired",
// "certificate is not trusted", "certificate does not match host 'x'", "TLS handshake
// failed: ...". A server silent for ReadTimeout during the handshake ends it with
// ENetSocketError 10060, as a silent read does.
//
// Lifetime: the socket stays the connection's; the TLS session lives from Connect to
// Disconnect (the connection calls both). The trust store is read at the first Connect.

#include <cstdint>

#include "http/NetConnectionIntercept.h"

struct ssl_st;
struct ssl_ctx_st;

namespace wispel {

class TNetTLSIntercept : public TNetSecureIntercept {
public:
    explicit TNetTLSIntercept(TComponent* owner = nullptr);
    ~TNetTLSIntercept() override;

    void Connect(TNetSocketHandle* socket) override;
    void Disconnect() override;
    bool TakesOverReceiving() const override { return true; }
    bool TakesOverSending() const override { return true; }
    std::int64_t Recv(void* bytes, std::int64_t count) override;
    std::int64_t Send(const void* bytes, std::int64_t count) override;

private:
    ssl_ctx_st* context();
    void handshake();
    // Waits until the socket is ready for what OpenSSL asked for (SSL_ERROR_WANT_READ or
    // SSL_ERROR_WANT_WRITE); ENetSocketError 10060 after ReadTimeout or at the Deadline.
    void waitFor(int sslError);
    [[noreturn]] void raiseHandshakeFailure(int sslError);
    // A failed read or write of an established session.
    [[noreturn]] void raiseTransferFailure(int sslError);
    std::int64_t plainTransfer(void* bytes, std::int64_t count, bool sending);

    ssl_ctx_st* context_ = nullptr;       // owned
    ssl_st* session_ = nullptr;           // owned; null outside a connection
    TNetSocketHandle* socket_ = nullptr;  // not owned
};

}  // namespace wispel
