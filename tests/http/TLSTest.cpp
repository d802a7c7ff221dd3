// The client over TLS against a real server on 127.0.0.1 (Python's http.server with its
// ssl module), with a test CA made at run time and trusted through SSL_CERT_FILE.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/MemoryStream.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "http/SocketErrors.h"
#include "http/TLSIntercept.h"
#include "tests/http/NetTestHelpers.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestCertificates.h"

using namespace wispel;
using wispel::test::LocalHttpServer;
using wispel::test::raised;
using wispel::test::ScriptedPeer;
using wispel::test::ScriptedServer;
using wispel::test::TestCertificates;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One folder, one set of certificates and one server per certificate for the whole suite.
class TLS : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/wispel-tls-XXXXXX";
        root_ = new std::filesystem::path(::mkdtemp(pattern));
        certificates_ = new TestCertificates(root_->string());
        ::setenv("SSL_CERT_FILE", certificates_->ca.c_str(), 1);
        ::unsetenv("SSL_CERT_DIR");
        std::filesystem::copy_file(std::filesystem::path(WISPEL_TEST_DATA) / "http/feed.xml",
                                   *root_ / "feed.xml");
        std::mt19937 random(11);
        std::string big(700000, '\0');
        for (char& c : big) c = static_cast<char>(random());
        std::ofstream(*root_ / "big.bin", std::ios::binary) << big;
        good_ = new LocalHttpServer(root_->string(), certificates_->good);
    }
    static void TearDownTestSuite() {
        delete good_;
        delete certificates_;
        std::filesystem::remove_all(*root_);
        delete root_;
    }

    static std::string file(const std::string& name) { return readFile(*root_ / name); }

    // A client with a TLS intercept assigned.
    struct Client : TNetHTTP {
        Client() { SetIntercept(&tls); }
        TNetTLSIntercept tls;
    };

    static std::filesystem::path* root_;
    static TestCertificates* certificates_;
    static LocalHttpServer* good_;
};

std::filesystem::path* TLS::root_ = nullptr;
TestCertificates* TLS::certificates_ = nullptr;
LocalHttpServer* TLS::good_ = nullptr;

}  // namespace

TEST_F(TLS, BodiesOfEveryKind) {
    const struct {
        const char* path;
        std::string body;
    } cases[] = {
        {"/feed.xml", file("feed.xml")},       {"/chunked/feed.xml", file("feed.xml")},
        {"/close/feed.xml", file("feed.xml")}, {"/big.bin", file("big.bin")},
        {"/chunked/big.bin", file("big.bin")}, {"/close/big.bin", file("big.bin")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Client http;
        TMemoryStream body;
        http.Get(good_->url(c.path), body);
        EXPECT_EQ(http.ResponseCode(), 200);
        EXPECT_TRUE(body.View() == c.body);
    }
}

TEST_F(TLS, KeepsTheConnectionAliveAndFindsTheHostByName) {
    Client http;
    TMemoryStream first, second;
    http.Get(good_->url("/feed.xml"), first);
    ASSERT_TRUE(http.Connected());
    int localPort = http.Binding().Port();
    http.Get(good_->url("/big.bin"), second);
    EXPECT_EQ(http.Binding().Port(), localPort);  // the same connection
    EXPECT_EQ(first.View(), file("feed.xml"));
    EXPECT_TRUE(second.View() == file("big.bin"));
    http.Disconnect();
    // By name: sent as SNI and matched against the certificate's DNS name.
    TMemoryStream third;
    http.Get("https://localhost:" + std::to_string(good_->port()) + "/feed.xml", third);
    EXPECT_EQ(third.View(), file("feed.xml"));
    EXPECT_EQ(http.Port, good_->port());
}

TEST_F(TLS, CertificateFailuresSayWhy) {
    const struct {
        const std::string& certificate;
        std::string message;
    } cases[] = {
        {certificates_->expired, "certificate has expired"},
        {certificates_->unknownIssuer, "certificate is not trusted"},
        {certificates_->wrongHost, "certificate does not match host '127.0.0.1'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        LocalHttpServer server(root_->string(), c.certificate);
        Client http;
        TMemoryStream body;
        auto error = raised<ENetTLSError>([&] { http.Get(server.url("/feed.xml"), body); });
        EXPECT_EQ(error.message(), c.message);
        EXPECT_EQ(body.Size(), 0);
        EXPECT_FALSE(http.Connected());
    }
}

// A server that offers nothing newer than TLS 1.1 is refused by the client.
TEST_F(TLS, RefusesProtocolsOlderThanTls12) {
    LocalHttpServer old(root_->string(), certificates_->good, "TLSv1_1");
    Client http;
    TMemoryStream body;
    auto error = raised<ENetTLSError>([&] { http.Get(old.url("/feed.xml"), body); });
    EXPECT_EQ(error.message().rfind("TLS handshake failed: ", 0), 0u) << error.message();
    EXPECT_EQ(body.Size(), 0);
}

TEST_F(TLS, HandshakeEndsWithTheReadTimeLimitOrTheServersWrongAnswer) {
    ScriptedServer silent([](ScriptedPeer& peer) {
        peer.readCount(5);  // the start of the client's hello; then nothing
        peer.clientClosed();
    });
    Client http;
    http.ReadTimeout = 300;
    TMemoryStream body;
    auto timedOut = raised<ENetSocketError>(
        [&] { http.Get("https://127.0.0.1:" + std::to_string(silent.port()) + "/", body); });
    EXPECT_EQ(timedOut.LastError(), netcode::kTimedOut);
    EXPECT_FALSE(http.Connected());

    ScriptedServer plain([](ScriptedPeer& peer) {
        peer.readCount(5);
        peer.send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
        peer.close();
    });
    auto failed = raised<ENetTLSError>(
        [&] { http.Get("https://127.0.0.1:" + std::to_string(plain.port()) + "/", body); });
    EXPECT_EQ(failed.message().rfind("TLS handshake failed: ", 0), 0u) << failed.message();
}

// A server that redirects between http and https: the client changes connection with the
// scheme, even to the same host.
TEST_F(TLS, RedirectsBetweenHttpAndHttps) {
    LocalHttpServer plain(root_->string());
    Client http;
    http.HandleRedirects = true;
    TMemoryStream body;
    http.Get(plain.url("/to/" + good_->url("/feed.xml")), body);
    EXPECT_EQ(body.View(), file("feed.xml"));
    EXPECT_TRUE(http.InterceptEnabled());
    http.Get(good_->url("/to/" + plain.url("/feed.xml")), body);
    EXPECT_EQ(body.View(), file("feed.xml"));
    EXPECT_FALSE(http.InterceptEnabled());
}

TEST_F(TLS, WispelGetTakesHttpsUrls) {
    const std::string out = root_->string() + "/get.out";
    std::string command =
        std::string(WISPEL_BINARY_DIR) + "/bin/wispel-get " + good_->url("/feed.xml") + " >" + out;
    EXPECT_EQ(std::system(command.c_str()), 0);  // the tool inherits SSL_CERT_FILE
    EXPECT_EQ(readFile(out), file("feed.xml"));
}
