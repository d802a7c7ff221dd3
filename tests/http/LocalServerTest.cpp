// The client against a real HTTP server on 127.0.0.1 (Python's http.server).

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "core/MemoryStream.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "tests/http/NetTestHelpers.h"
#include "tests/support/LocalHttpServer.h"

using namespace wispel;
using wispel::test::LocalHttpServer;
using wispel::test::raised;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One server for the whole suite, serving a folder with the feed fixture and a larger
// binary file.
class LocalServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/wispel-http-XXXXXX";
        root_ = new std::filesystem::path(::mkdtemp(pattern));
        std::filesystem::copy_file(std::filesystem::path(WISPEL_TEST_DATA) / "http/feed.xml",
                                   *root_ / "feed.xml");
        std::mt19937 random(7);
        std::string big(300000, '\0');
        for (char& c : big) c = static_cast<char>(random());
        std::ofstream(*root_ / "big.bin", std::ios::binary) << big;
        server_ = new LocalHttpServer(root_->string());
    }
    static void TearDownTestSuite() {
        delete server_;
        std::filesystem::remove_all(*root_);
        delete root_;
    }

    static std::string file(const std::string& name) { return readFile(*root_ / name); }
    static std::string url(const std::string& path) { return server_->url(path); }

    static std::filesystem::path* root_;
    static LocalHttpServer* server_;
};

std::filesystem::path* LocalServer::root_ = nullptr;
LocalHttpServer* LocalServer::server_ = nullptr;

}  // namespace

TEST_F(LocalServer, FetchesBodiesOfEveryKind) {
    for (std::string path : {"/big.bin", "/chunked/big.bin", "/close/big.bin", "/feed.xml"}) {
        SCOPED_TRACE(path);
        TNetHTTP http;
        TMemoryStream body;
        http.Get(url(path), body);
        EXPECT_EQ(body.View(), file(path.substr(path.rfind('/') + 1)));
        EXPECT_EQ(http.ResponseCode(), 200);
        EXPECT_NE(http.Response().Date, 0);
        EXPECT_FALSE(http.Response().Server.empty());
        http.Disconnect();
    }
}

TEST_F(LocalServer, KeepsTheConnectionAliveBetweenRequests) {
    TNetHTTP http;
    TMemoryStream first, second;
    http.Get(url("/feed.xml"), first);
    ASSERT_TRUE(http.Connected());
    int localPort = http.Binding().Port();
    http.Get(url("/big.bin"), second);
    EXPECT_EQ(http.Binding().Port(), localPort);  // the same connection
    EXPECT_EQ(second.Size(), 300000);
    EXPECT_EQ(http.Response().ContentType, "application/octet-stream");
}

TEST_F(LocalServer, ErrorRepliesAndRedirects) {
    TNetHTTP http;
    TMemoryStream body;
    auto error = raised<ENetProtocolReplyError>([&] { http.Get(url("/status/404"), body); });
    EXPECT_EQ(error.ReplyErrorCode(), 404);
    EXPECT_EQ(error.message(), "404 Not Found");
    EXPECT_EQ(body.View(), "status 404");

    TMemoryStream moved;
    error = raised<ENetProtocolReplyError>([&] { http.Get(url("/redirect/3/feed.xml"), moved); });
    EXPECT_EQ(error.ReplyErrorCode(), 302);
    EXPECT_EQ(http.Response().Location, "/redirect/2/feed.xml");

    http.HandleRedirects = true;
    TMemoryStream followed;
    http.Get(url("/redirect/3/feed.xml"), followed);
    EXPECT_EQ(followed.View(), file("feed.xml"));
}

TEST_F(LocalServer, ServerSeesTheRequestHeaders) {
    TNetHTTP http;
    http.Request().ExtraHeaders().Add("X-Test: yes");
    TMemoryStream body;
    http.Get(url("/echo"), body);
    std::string echoed(body.View());
    EXPECT_EQ(echoed.substr(0, echoed.find("\r\n")), "GET /echo HTTP/1.1");
    EXPECT_NE(echoed.find("Host: 127.0.0.1\n"), std::string::npos) << echoed;
    EXPECT_NE(echoed.find("User-Agent: Mozilla/3.0 (compatible; Wispel)\n"), std::string::npos);
    EXPECT_NE(echoed.find("X-Test: yes\n"), std::string::npos);
}
