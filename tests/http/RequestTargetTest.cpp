// Which URLs the client asks for and where: refused addresses never reach a server, a
// relative redirect resolves against the address that redirected, and IPv6 hosts are
// reached as well as IPv4 ones.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MemoryStream.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "tests/http/NetTestHelpers.h"
#include "tests/support/ScriptedServer.h"

using namespace wispel;
using wispel::test::Loopback;
using wispel::test::ScriptedPeer;
using wispel::test::ScriptedServer;

namespace {

std::string okReply(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Answers every request on one connection until the client closes it.
void answerAll(ScriptedPeer& peer) {
    for (std::string request = peer.readRequest(); !request.empty(); request = peer.readRequest()) {
        peer.send(okReply("ok"));
    }
}

int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

// After a request that left its connection open, a URL the client must not ask for fails
// with its own error and sends nothing: not to the open connection, not anywhere.
TEST(RequestTarget, RefusedURLsNeverReachAServer) {
    ScriptedServer server(answerAll);
    const std::string origin = "http://127.0.0.1:" + std::to_string(server.port());
    const std::string blank = "it holds a blank or a control character.";
    const std::string scheme = "only http and https addresses with a host are fetched.";
    const struct {
        std::string url;
        std::string shown;
        std::string why;
    } cases[] = {
        {origin + "/feed HTTP/1.1\r\nHost: forged\r\n\r\nGET /smuggled",
         origin + "/feed HTTP/1.1??Host: forged????GET /smuggled", blank},
        {origin + "/a b", origin + "/a b", blank},
        {origin + "/a\tb", origin + "/a?b", blank},
        {origin + "/a" + std::string(1, '\0') + "b", origin + "/a?b", blank},
        {origin + "/a\x7F", origin + "/a?", blank},
        {"http://127.0.0.1\n:80/", "http://127.0.0.1?:80/", blank},
        {"file:///etc/shadow", "file:///etc/shadow", scheme},
        {"mailto:someone@example.org", "mailto:someone@example.org", scheme},
        {"", "", scheme},
        {"/feed.xml", "/feed.xml", scheme},
        {"feed.xml", "feed.xml", scheme},
        {"127.0.0.1:8765/feed.xml", "127.0.0.1:8765/feed.xml", scheme},
        {"ftp://127.0.0.1:" + std::to_string(server.port()) + "/feed",
         "ftp://127.0.0.1:" + std::to_string(server.port()) + "/feed", scheme},
        {"gopher://127.0.0.1/feed", "gopher://127.0.0.1/feed", scheme},
        {"http:///feed.xml", "http:///feed.xml", scheme},
        {"http://[::1/feed", "http://[::1/feed", scheme},
    };
    TNetHTTP http;
    TMemoryStream body;
    http.Get(origin + "/first", body);
    ASSERT_TRUE(http.Connected());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_ERROR(http.Get(c.url, body), ENetInvalidURL,
                     "URL '" + c.shown + "' refused: " + c.why);
    }
    http.Disconnect();
    server.join();
    EXPECT_EQ(server.accepted(), 1);
    EXPECT_EQ(countOf(server.received(), "GET "), 1);
    EXPECT_EQ(server.received().find("forged"), std::string::npos);
}

TEST(RequestTarget, RelativeRedirectsResolveAgainstTheAddressThatRedirected) {
    const struct {
        std::string start;
        std::string location;
        std::string requested;  // the second request line's target
        std::string final;      // the path FinalURL ends with
    } cases[] = {
        {"/dir/start", "feed.xml", "/dir/feed.xml", "/dir/feed.xml"},
        {"/dir/start", "../up/feed.xml", "/up/feed.xml", "/up/feed.xml"},
        {"/dir/start?page=1", "?page=2", "/dir/start?page=2", "/dir/start?page=2"},
        {"/dir/sub/start", "./", "/dir/sub/", "/dir/sub/"},
        {"/dir/start", "/abs/feed.xml#part", "/abs/feed.xml", "/abs/feed.xml#part"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        ScriptedServer server([&](ScriptedPeer& peer) {
            peer.readRequest();
            peer.send("HTTP/1.1 302 Found\r\nLocation: " + c.location +
                      "\r\nContent-Length: 5\r\n\r\nmoved");
            peer.readRequest();
            peer.send(okReply("feed"));
            peer.clientClosed();
        });
        TNetHTTP http;
        http.HandleRedirects = true;
        TMemoryStream body;
        http.Get(server.url(c.start), body);
        EXPECT_EQ(body.View(), "feed");
        EXPECT_EQ(http.FinalURL(), server.url(c.final));
        http.Disconnect();
        server.join();
        EXPECT_NE(server.received().find("GET " + c.requested + " HTTP/1.1\r\n"), std::string::npos)
            << server.received();
    }
}

TEST(RequestTarget, IPv6LiteralsAndNamesOfBothFamilies) {
    if (!test::ipv6LoopbackAvailable()) GTEST_SKIP() << "no IPv6 loopback on this machine";
    ScriptedServer server(answerAll, 2, Loopback::IPv6);
    const std::string port = std::to_string(server.port());
    test::StatusRecording<TNetHTTP> http;
    TMemoryStream body;
    http.Get("http://[::1]:" + port + "/six", body);
    EXPECT_EQ(body.View(), "ok");
    http.Disconnect();
    // "localhost" is 127.0.0.1 and ::1: where nothing listens on the first, the second answers.
    http.texts.clear();
    http.Get("http://LocalHost:" + port + "/name", body);
    http.Disconnect();
    EXPECT_EQ(http.texts, (std::vector<std::string>{"Resolving hostname LocalHost.",
                                                     "Connecting to 127.0.0.1.",
                                                     "Connecting to ::1.", "Connected.",
                                                     "Disconnecting from ::1.", "Not connected."}))
        << ::testing::PrintToString(http.texts);
    server.join();
    EXPECT_NE(server.received().find("GET /six HTTP/1.1\r\nHost: [::1]\r\n"), std::string::npos)
        << server.received();
    EXPECT_NE(server.received().find("GET /name HTTP/1.1\r\nHost: LocalHost\r\n"),
              std::string::npos);
}
