#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "http/NetConnectionIntercept.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "tests/http/NetTestHelpers.h"
#include "tests/support/ScriptedServer.h"

using namespace wispel;
using wispel::test::raised;
using wispel::test::ScriptedPeer;
using wispel::test::ScriptedServer;

namespace {

std::string reply(const std::string& status, const std::string& body,
                  const std::string& headers = "") {
    return status + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

// Answers one request with the given pieces, each its own send, and closes.
ScriptedServer::Script answer(std::vector<std::string> pieces) {
    return [pieces](ScriptedPeer& peer) {
        peer.readRequest();
        for (const auto& piece : pieces) peer.send(piece);
        peer.close();
    };
}

// Records every block the client sends, as one entry per send.
struct SendRecorder : TNetConnectionIntercept {
    void DataSent(const char* bytes, std::int64_t count) override {
        sends.emplace_back(bytes, static_cast<size_t>(count));
    }
    std::vector<std::string> sends;
};

using Client = wispel::test::StatusRecording<TNetHTTP>;

}  // namespace

TEST(HTTPGet, SendsTheRequestLinesEachInItsOwnSend) {
    ScriptedServer server(answer({reply("HTTP/1.1 200 OK", "x")}), 2);
    SendRecorder recorder;
    Client http;
    http.SetIntercept(&recorder);
    http.SetInterceptEnabled(true);
    TMemoryStream body;
    http.Get(server.url("/dir/feed.xml?a=1&b=2#frag"), body);
    EXPECT_EQ(recorder.sends, (std::vector<std::string>{
                                  "GET /dir/feed.xml?a=1&b=2 HTTP/1.1\r\n",
                                  "Host: 127.0.0.1\r\n",
                                  "Accept: text/html, */*\r\n",
                                  "User-Agent: Mozilla/3.0 (compatible; Wispel)\r\n",
                                  "\r\n",
                              }));
    recorder.sends.clear();
    http.Disconnect();
    http.Request().Username = "user";
    http.Get("http://LOCALHOST:" + std::to_string(server.port()), body);
    ASSERT_EQ(recorder.sends.size(), 6u);
    EXPECT_EQ(recorder.sends[0], "GET / HTTP/1.1\r\n");
    EXPECT_EQ(recorder.sends[1], "Host: LOCALHOST\r\n");
    EXPECT_EQ(recorder.sends[4], "Authorization: Basic dXNlcjo=\r\n");
    http.SetIntercept(nullptr);
}

TEST(HTTPGet, StatusLinesBodiesAndConnectionReuse) {
    struct Case {
        std::vector<std::string> pieces;
        std::string body;
        bool staysOpen;
        int code;
        std::string text;
    };
    const std::string twelve = "twelve bytes";
    const Case cases[] = {
        {{reply("HTTP/1.0 200 OK", twelve)}, twelve, false, 200, "200 OK"},
        {{"HTTP/1.1 200 Fine\r\nContent-Le", "ngth: 12\r\n\r\ntwelve", " bytes"},
         twelve,
         true,
         200,
         "200 Fine"},
        {{reply("HTTP/1.1 203 Non-Authoritative", twelve, "Connection:  Close \r\n")},
         twelve,
         false,
         203,
         "203 Non-Authoritative"},
        {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n",
          "7; name=value\r\n world!\r\n", "1\t;tab\r\n.\r\n", "0\r\n\r\n"},
         "hello world!.",
         true,
         200,
         "200 OK"},
        {{"HTTP/1.1 200 OK\r\nX: y\r\n\r\nuntil", " close"}, "until close", false, 200, "200 OK"},
        {{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nstill read"},
         "still read",
         false,
         200,
         "200 OK"},
        // a 204 ends at its head: the connection stays usable
        {{"HTTP/1.1 204\r\n\r\n"}, "", true, 204, "204"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pieces.front());
        ScriptedServer server([&](ScriptedPeer& peer) {
            peer.readRequest();
            for (const auto& piece : c.pieces) peer.send(piece);
            if (!c.staysOpen) peer.close();
        });
        Client http;
        TMemoryStream body;
        http.Get(server.url("/feed"), body);
        EXPECT_EQ(body.View(), c.body);
        EXPECT_EQ(http.ResponseCode(), c.code);
        EXPECT_EQ(http.ResponseText(), c.text);
        EXPECT_EQ(http.Connected(), c.staysOpen);
        http.Disconnect();
    }
}

TEST(HTTPGet, ChunkedBodyReportsItsStart) {
    ScriptedServer server(
        answer({"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n"
                "3\r\nabc\r\n0\r\n\r\n"}));
    Client http;
    TMemoryStream body;
    http.Get(server.url(), body);
    EXPECT_EQ(body.View(), "abc");
    using S = TNetStatus;
    EXPECT_EQ(http.statuses, (std::vector<S>{S::hsConnecting, S::hsConnected, S::hsText}));
    EXPECT_EQ(http.texts.back(), "Chunk Started");
    EXPECT_EQ(http.Response().ExtraHeaders().value("Transfer-Encoding"), "gzip, chunked");
}

TEST(HTTPGet, FailuresRaiseAfterTheBodyWasStored) {
    struct Case {
        std::string reply;
        int code;
        std::string text;
    };
    const Case cases[] = {
        {reply("HTTP/1.1 404 Not Found", "missing"), 404, "404 Not Found"},
        {reply("HTTP/1.1 302 Found", "moved", "Location: /elsewhere\r\n"), 302, "302 Found"},
        {reply("HTTP/1.1 200 OK", "moved", "Location: /elsewhere\r\n"), 200, "200 OK"},
        {reply("HTTP/1.1 304 Not Modified", ""), 304, "304 Not Modified"},
        {reply("HTTP/1.0 500 Server Error", "oops"), 500, "500 Server Error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptedServer server(answer({c.reply}));
        TNetHTTP http;
        TMemoryStream body;
        auto error = raised<ENetProtocolReplyError>([&] { http.Get(server.url(), body); });
        EXPECT_EQ(error.ReplyErrorCode(), c.code);
        EXPECT_EQ(error.message(), c.text);
        EXPECT_EQ(body.View(), c.reply.substr(c.reply.find("\r\n\r\n") + 4));
        EXPECT_EQ(http.RedirectCount(), 0);
    }
}

TEST(HTTPGet, FollowsRedirectsUpToTheMaximum) {
    const std::string moved =
        reply("HTTP/1.1 301 Moved", "first body, longer", "Location: /next\r\n");
    ScriptedServer server([&](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send(moved);
        peer.readRequest();
        peer.send(reply("HTTP/1.1 200 OK", "final"));
        peer.readRequest();
        peer.send(moved);
        peer.readRequest();
        peer.send(moved);
        peer.clientClosed();
    });
    TNetHTTP http;
    http.ReadTimeout = 2000;
    http.HandleRedirects = true;
    std::vector<std::string> asked;
    http.OnRedirect = [&](TComponent*, std::string& dest, int& count, bool& handled) {
        asked.push_back(dest + " " + std::to_string(count));
        count = 99;  // dropped
        EXPECT_TRUE(handled);
    };
    TMemoryStream body;
    http.Get(server.url("/start"), body);
    EXPECT_EQ(body.View(), "final");
    EXPECT_EQ(asked, std::vector<std::string>{"/next 1"});
    EXPECT_EQ(http.RedirectCount(), 0);

    http.RedirectMaximum = 2;
    auto error = raised<ENetProtocolReplyError>([&] { http.Get(server.url("/start"), body); });
    EXPECT_EQ(error.ReplyErrorCode(), 301);
    EXPECT_EQ(http.RedirectCount(), 0);
    EXPECT_EQ(server.accepted(), 1);  // the relative location reused the connection
    http.Disconnect();
    server.join();
    EXPECT_NE(server.received().find("GET /next HTTP/1.1\r\nHost: 127.0.0.1\r\n"),
              std::string::npos);
}

TEST(HTTPGet, RelativeRedirectAfterAClosedConnectionKeepsThePort) {
    // The server closes after the redirect: by HTTP/1.0, or by saying so in HTTP/1.1.
    for (const std::string& moved :
         {reply("HTTP/1.0 302 Found", "", "Location: /final\r\n"),
          reply("HTTP/1.1 302 Found", "moved", "Location: /final\r\nConnection: close\r\n")}) {
        SCOPED_TRACE(moved);
        ScriptedServer server(std::vector<ScriptedServer::Script>{
            answer({moved}), answer({reply("HTTP/1.1 200 OK", "final")})});
        TNetHTTP http;
        http.HandleRedirects = true;
        TMemoryStream body;
        http.Get(server.url("/first"), body);
        EXPECT_EQ(body.View(), "final");
        EXPECT_EQ(http.Port, server.port());
        http.Disconnect();
        server.join();
        EXPECT_EQ(server.accepted(), 2);
    }
}

TEST(HTTPGet, RedirectHandlerDecides) {
    const std::string moved = reply("HTTP/1.1 302 Found", "", "Location: /there\r\n");
    ScriptedServer server(answer({moved}), 2);
    TNetHTTP http;
    // Following, but the handler declines: nothing more is requested and nothing raised.
    http.HandleRedirects = true;
    http.OnRedirect = [](TComponent*, std::string&, int&, bool& handled) { handled = false; };
    TMemoryStream body;
    http.Get(server.url("/a"), body);
    EXPECT_EQ(http.ResponseCode(), 302);
    http.Disconnect();
    // Not following, but the handler accepts: the changed location is kept, nothing raised.
    http.HandleRedirects = false;
    http.OnRedirect = [](TComponent*, std::string& dest, int&, bool& handled) {
        dest = "/changed";
        handled = true;
    };
    http.Get(server.url("/b"), body);
    EXPECT_EQ(http.Response().Location, "/changed");
}

TEST(HTTPGet, ReusesAnOpenConnectionOnlyForTheSameHostAndPort) {
    const std::string ok = reply("HTTP/1.1 200 OK", "ok");
    std::vector<bool> closedByClient;
    ScriptedServer server(
        [&](ScriptedPeer& peer) {
            for (std::string request = peer.readRequest(); !request.empty();
                 request = peer.readRequest()) {
                peer.send(request.find("/bad") != std::string::npos
                              ? reply("HTTP/1.1 404 Not Found", "no")
                              : ok);
            }
            closedByClient.push_back(peer.clientClosed());
        },
        2);
    TNetHTTP http;
    TMemoryStream body;
    const std::string port = std::to_string(server.port());
    http.Get("http://127.0.0.1:" + port + "/1", body);
    EXPECT_THROW(http.Get("http://127.0.0.1:" + port + "/bad", body), ENetProtocolReplyError);
    EXPECT_TRUE(http.Connected());  // an error reply leaves the connection open
    http.Get("http://127.0.0.1:" + port + "/2", body);
    EXPECT_EQ(server.accepted(), 1);
    http.Get("http://localhost:" + port + "/3", body);  // another host text: a new connection
    EXPECT_EQ(http.LastHost(), "localhost");
    EXPECT_EQ(http.LastProtocol(), "http");
    EXPECT_THROW(http.Get("http://localhost:" + port + "/bad", body), ENetProtocolReplyError);
    // A URL without a port never matches the open connection: it is closed before the
    // request goes to port 80 (where, on a test machine, usually nothing listens).
    try {
        http.Get("http://localhost/none", body);
    } catch (const ENetException&) {
    }
    EXPECT_EQ(http.Port, 80);
    http.Disconnect();
    server.join();
    EXPECT_EQ(server.accepted(), 2);
    EXPECT_EQ(closedByClient, (std::vector<bool>{true, true}));
}

// A failed reply that announces its close closes the connection like a successful one, so
// the next request to the same host and port opens a new connection instead of failing on
// the dead one. The error raised stays the reply's.
TEST(HTTPGet, FailedReplyThatSaysCloseClosesTheConnection) {
    for (const std::string& failed :
         {reply("HTTP/1.1 404 Not Found", "gone", "Connection: close\r\n"),
          reply("HTTP/1.1 302 Found", "", "Location: /x\r\nConnection: close\r\n")}) {
        SCOPED_TRACE(failed);
        ScriptedServer server(std::vector<ScriptedServer::Script>{
            answer({failed}), answer({reply("HTTP/1.1 200 OK", "fine")})});
        TNetHTTP http;
        TMemoryStream body;
        const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
        auto error = raised<ENetProtocolReplyError>([&] { http.Get(base + "/a", body); });
        EXPECT_EQ(error.message(), failed.substr(9, failed.find("\r\n") - 9));
        EXPECT_FALSE(http.Connected());
        TMemoryStream next;
        http.Get(base + "/b", next);
        EXPECT_EQ(next.View(), "fine");
        http.Disconnect();
        server.join();
        EXPECT_EQ(server.accepted(), 2);
    }
}

// What follows "#" is never sent, even when it holds a "/".
TEST(HTTPGet, BookmarkWithASlashIsNotSent) {
    ScriptedServer server(answer({reply("HTTP/1.1 200 OK", "x")}));
    TNetHTTP http;
    TMemoryStream body;
    http.Get(server.url("/dir/doc?q=1#a/b"), body);
    http.Disconnect();
    server.join();
    EXPECT_EQ(server.received().substr(0, server.received().find("\r\n")),
              "GET /dir/doc?q=1 HTTP/1.1");
}

TEST(HTTPGet, RefusesWhatExceedsItsLimits) {
    struct Case {
        const char* name;
        std::string reply;
        std::function<bool(const ENetLimitExceeded&)> kind;
    };
    auto bodyTooLarge = [](const ENetLimitExceeded& e) {
        return dynamic_cast<const ENetBodyTooLarge*>(&e) != nullptr;
    };
    std::string manyHeaders = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 1001; ++i) manyHeaders += "X-H: " + std::to_string(i) + "\r\n";
    const Case cases[] = {
        {"length above the maximum", "HTTP/1.1 200 OK\r\nContent-Length: 1001\r\n\r\n",
         bodyTooLarge},
        {"length beyond any integer",
         "HTTP/1.1 200 OK\r\nContent-Length: 123456789012345678901234567890\r\n\r\n", bodyTooLarge},
        {"huge chunk",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nfffffffffffffffffff\r\n",
         bodyTooLarge},
        {"chunks adding up",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n258\r\n" + std::string(600, 'c') +
             "\r\n258\r\n" + std::string(600, 'c') + "\r\n0\r\n\r\n",
         bodyTooLarge},
        {"until close", "HTTP/1.1 200 OK\r\n\r\n" + std::string(1500, 'u'), bodyTooLarge},
        {"many headers", manyHeaders + "\r\n",
         [](const ENetLimitExceeded& e) {
             return dynamic_cast<const ENetTooManyHeaders*>(&e) != nullptr;
         }},
        {"long status line", "HTTP/1.1 200 " + std::string(70000, 'k') + "\r\n\r\n",
         [](const ENetLimitExceeded& e) {
             return dynamic_cast<const ENetLineTooLong*>(&e) != nullptr;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server([&](ScriptedPeer& peer) {
            peer.readRequest();
            peer.send(c.reply);
            peer.close();
        });
        TNetHTTP http;
        http.MaxBodySize = 1000;
        TMemoryStream body;
        try {
            http.Get(server.url(), body);
            ADD_FAILURE() << "no error";
        } catch (const ENetLimitExceeded& error) {
            EXPECT_TRUE(c.kind(error)) << error.className() << ": " << error.message();
        }
        EXPECT_LE(body.Size(), 1000);
        EXPECT_FALSE(http.Binding().HandleAllocated());
    }
}

TEST(HTTPGet, StatusLineWithoutANumberIsAConversionError) {
    ScriptedServer server(answer({"HTTP/1.1 OK fine\r\n\r\n"}));
    TNetHTTP http;
    TMemoryStream body;
    try {
        http.Get(server.url(), body);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.message(), "'OK' is not a valid integer value");
    }
}

TEST(HTTPGet, HttpsNeedsASecureIntercept) {
    TNetHTTP http;
    TMemoryStream body;
    try {
        http.Get("https://127.0.0.1:1/", body);
        ADD_FAILURE() << "no error";
    } catch (const ENetInterceptPropInvalid& error) {
        EXPECT_EQ(error.message(), "Intercept value is not valid");
    }
}

TEST(HTTPRequest, ProxyHeadVersionAndPost) {
    ScriptedServer server(std::vector<ScriptedServer::Script>{
        answer({reply("HTTP/1.1 200 OK", "via proxy")}),
        [](ScriptedPeer& peer) {
            peer.readRequest();
            peer.send("HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\n");  // HEAD: no body
            peer.readRequest();
            peer.send(reply("HTTP/1.0 200 OK", "v"));
            peer.close();
        },
        [](ScriptedPeer& peer) {
            peer.readRequest();
            peer.readCount(6);
            peer.send(reply("HTTP/1.1 201 Created", "posted"));
            peer.close();
        }});
    TNetHTTP http;
    TMemoryStream body;
    http.Request().ProxyServer = "127.0.0.1";
    http.Request().ProxyPort = server.port();
    http.Get("http://news.example/feed.xml", body);  // the name is never looked up
    EXPECT_EQ(body.View(), "via proxy");
    http.Request().ProxyServer.clear();
    http.Disconnect();

    http.Head(server.url("/head"));
    EXPECT_EQ(http.Response().ContentLength, 99);
    EXPECT_TRUE(http.Connected());
    http.ProtocolVersion = TNetHTTPProtocolVersion::pv1_0;
    http.Get(server.url("/old"), body);
    EXPECT_FALSE(http.Connected());

    http.ProtocolVersion = TNetHTTPProtocolVersion::pv1_1;
    std::vector<std::string> lines{"a=1", "b"};
    TMemoryStream answerBody;
    http.Post(server.url("/post"), lines, answerBody);
    EXPECT_EQ(answerBody.View(), "posted");
    EXPECT_THROW(http.PerformRequest(TNetHTTPMethod::hmPost, server.url("/p"), nullptr, &body),
                 ENetObjectTypeNotSupported);
    server.join();
    const std::string received = server.received();
    for (const char* expected :
         {"GET http://news.example/feed.xml HTTP/1.1\r\nHost: news.example\r\n",
          "HEAD /head HTTP/1.1\r\n", "GET /old HTTP/1.0\r\n",
          "POST /post HTTP/1.1\r\nHost: 127.0.0.1\r\n", "Content-Length: 6\r\n\r\na=1\r\nb"}) {
        EXPECT_NE(received.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(received.substr(received.size() - 1), "b");  // nothing after the announced body
}

TEST(HTTPRequest, WorkEventsCountTheBody) {
    ScriptedServer server(answer({"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n01234", "56789"}));
    TNetHTTP http;
    std::vector<std::string> events;
    http.OnWorkBegin = [&](TComponent*, TWorkMode mode, std::int64_t expected) {
        if (mode == TWorkMode::wmRead) events.push_back("begin " + std::to_string(expected));
    };
    http.OnWork = [&](TComponent*, TWorkMode mode, std::int64_t total) {
        if (mode == TWorkMode::wmRead) events.push_back(std::to_string(total));
    };
    http.OnWorkEnd = [&](TComponent*, TWorkMode mode) {
        if (mode == TWorkMode::wmRead) events.push_back("end");
    };
    TMemoryStream body;
    http.Get(server.url(), body);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), "begin 10");
    EXPECT_EQ(events[events.size() - 2], "10");
    EXPECT_EQ(events.back(), "end");
}

TEST(HTTPGet, MalformedRepliesEndInErrorsOfTheirOwnKind) {
    struct Case {
        std::string reply;
        const char* errorClass;  // nullptr: the reply is read without error
    };
    const std::string binary("\0\xff\r\n\0", 5);
    const Case cases[] = {
        {"", "ENetConnClosedGracefully"},
        {"garbage\r\n\r\n", "EConvertError"},
        // a code that would wrap around to 200 in a 32-bit integer
        {"HTTP/1.1 4294967496 OK\r\n\r\n", "EConvertError"},
        // cut inside the head: not a complete reply with an empty body
        {"HTTP/1.1 200 OK\r\nServer: x\r\nX-Cut", "ENetConnClosedGracefully"},
        {"HTTP/1.1 200\r\nno colon line\r\n\r\nbody", nullptr},
        {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nshort", "ENetConnClosedGracefully"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\ncut",
         "ENetConnClosedGracefully"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", "ENetProtocolError"},
        // a range that does not read describes nothing; the reply itself is good
        {"HTTP/1.1 200 OK\r\nContent-Range: bytes a-b/c\r\n\r\n", nullptr},
        {"HTTP/1.1 200 OK\r\nDate: " + binary + "\r\nExpires: 99 Zzz 99999\r\n\r\n", nullptr},
        {"HTTP/1.1 200 OK\r\n" + binary + "\r\n\r\n" + binary, nullptr},
        {"HTTP/1.1 200 OK\r\n  leading continuation\r\n\r\n", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptedServer server(answer({c.reply}));
        TNetHTTP http;
        TMemoryStream body;
        try {
            http.Get(server.url(), body);
            EXPECT_EQ(c.errorClass, nullptr);
        } catch (const Exception& error) {
            EXPECT_STREQ(error.className(), c.errorClass ? c.errorClass : "none");
        }
    }
}

// What a server says about the body is read strictly: a frame that does not read is an
// error (and closes the connection), never the end of a good body.
TEST(HTTPGet, FramingIsReadStrictly) {
    struct Case {
        const char* name;
        std::string reply;
        const char* errorClass;  // nullptr: read without error
        std::string body;
        int code;
    };
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n";
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    std::string endlessContinue;
    for (int i = 0; i < 40; ++i) endlessContinue += "HTTP/1.1 100 Continue\r\n\r\n";
    const Case cases[] = {
        {"chunk size with a bad digit", chunked + "\r\n5x\r\nhello\r\n0\r\n\r\n",
         "ENetProtocolError", "", 200},
        {"empty chunk size line", chunked + "\r\n\r\nhello\r\n0\r\n\r\n", "ENetProtocolError", "",
         200},
        {"chunk longer than its size", chunked + "\r\n5\r\nhello!\r\n0\r\n\r\n",
         "ENetProtocolError", "hello", 200},
        {"trailer after the last chunk", chunked + "\r\n2\r\nhi\r\n0\r\nX-Sum: 1\r\n\r\n", nullptr,
         "hi", 200},
        {"chunks win over a length",
         ok + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
         nullptr, "hello", 200},
        {"length not a number", ok + "Content-Length: 5x\r\n\r\nhello", "ENetProtocolError", "",
         200},
        {"length with a sign", ok + "Content-Length: +5\r\n\r\nhello", "ENetProtocolError", "",
         200},
        {"negative length", ok + "Content-Length: -5\r\n\r\nhello", "ENetProtocolError", "", 200},
        {"two different lengths", ok + "Content-Length: 5\r\nContent-Length: 6\r\n\r\nhello!",
         "ENetProtocolError", "", 200},
        {"the same length twice, blanks after",
         ok + "Content-Length: 5\r\ncontent-length: 005 \t\r\n\r\nhello", nullptr, "hello", 200},
        {"interim replies are skipped",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 102 Processing\r\nX: 1\r\n\r\n" + ok +
             "Content-Length: 2\r\n\r\nhi",
         nullptr, "hi", 200},
        {"endless interim replies", endlessContinue, "ENetProtocolError", "", 100},
        {"204 ends at its head", "HTTP/1.1 204 No Content\r\nContent-Length: 5\r\n\r\n", nullptr,
         "", 204},
        {"304 ends at its head", "HTTP/1.1 304 Not Modified\r\nTransfer-Encoding: chunked\r\n\r\n",
         "ENetProtocolReplyError", "", 304},
        {"range numbers beyond their field",
         ok + "Content-Range: bytes 1-99999999999/x\r\nContent-Length: 2\r\n\r\nhi", nullptr, "hi",
         200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server([&](ScriptedPeer& peer) {
            peer.readRequest();
            peer.send(c.reply);
            peer.clientClosed();  // the server never closes first
        });
        TNetHTTP http;
        http.ReadTimeout = 3000;
        TMemoryStream body;
        try {
            http.Get(server.url(), body);
            EXPECT_EQ(c.errorClass, nullptr);
            EXPECT_TRUE(http.Connected());  // the whole reply was read, nothing more waited for
        } catch (const Exception& error) {
            EXPECT_STREQ(error.className(), c.errorClass ? c.errorClass : "none")
                << error.message();
            if (std::string(error.className()) == "ENetProtocolError") {
                EXPECT_FALSE(http.Connected());
            }
        }
        EXPECT_EQ(body.View(), c.body);
        EXPECT_EQ(http.ResponseCode(), c.code);
        EXPECT_EQ(http.Response().ContentRangeStart, 0u);
        http.Disconnect();
    }
}

TEST(HTTPRequest, HeadReadsNoBodyEvenWithAStream) {
    ScriptedServer server([](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
        peer.readRequest();
        peer.send(reply("HTTP/1.1 200 OK", "next"));
        peer.clientClosed();
    });
    TNetHTTP http;
    http.ReadTimeout = 3000;
    TMemoryStream body;
    http.PerformRequest(TNetHTTPMethod::hmHead, server.url("/h"), nullptr, &body);
    EXPECT_EQ(body.Size(), 0);
    http.Get(server.url("/g"), body);
    EXPECT_EQ(body.View(), "next");
    http.Disconnect();
}

TEST(HTTPGet, UserInformationAndBadPorts) {
    ScriptedServer server(answer({reply("HTTP/1.1 200 OK", "x")}));
    TNetHTTP http;
    TMemoryStream body;
    http.Get("http://user:pw@127.0.0.1:" + std::to_string(server.port()) + "/u", body);
    EXPECT_EQ(http.Host, "127.0.0.1");
    http.Disconnect();
    server.join();
    EXPECT_EQ(server.received().find("user"), std::string::npos);
    for (const char* port : {"0", "65536", "99999999999", "8o", "-1", "+80", " 80"}) {
        SCOPED_TRACE(port);
        EXPECT_ERROR(http.Get(std::string("http://127.0.0.1:") + port + "/", body), ENetInvalidURL,
                     "Invalid port in URL.");
    }
}

TEST(HTTPGet, FollowsRedirectsOnlyToWebAddressesWithoutControlCharacters) {
    struct Case {
        std::string location;
        std::string shown;  // as the error names it; empty: followed
    };
    const Case cases[] = {
        {"file:///etc/passwd", "file:///etc/passwd"},
        {"ftp://127.0.0.1/feed", "ftp://127.0.0.1/feed"},
        {"javascript:alert(1)", "javascript:alert(1)"},
        {"/next\rX-Injected: 1", "/next?X-Injected: 1"},
        {std::string("/next\0x", 7), "/next?x"},
        {"/next\tx", "/next?x"},
        {"/next\x7Fx", "/next?x"},
        {"/next:colon", ""},
        {"next", ""},
        {"HTTP://127.0.0.1:{port}/next", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        ScriptedServer server([&](ScriptedPeer& peer) {
            std::string location = c.location;
            std::size_t port = location.find("{port}");
            if (port != std::string::npos) location.replace(port, 6, std::to_string(server.port()));
            peer.readRequest();
            peer.send(
                reply("HTTP/1.1 302 Found", "redirect page", "Location: " + location + "\r\n"));
            if (!peer.readRequest().empty()) peer.send(reply("HTTP/1.1 200 OK", "final"));
            peer.clientClosed();
        });
        TNetHTTP http;
        http.HandleRedirects = true;
        TMemoryStream body;
        if (c.shown.empty()) {
            http.Get(server.url("/first"), body);
            EXPECT_EQ(body.View(), "final");
        } else {
            EXPECT_ERROR(http.Get(server.url("/first"), body), ENetInvalidURL,
                         "Redirect to '" + c.shown + "' refused.");
        }
        http.Disconnect();
        server.join();
        EXPECT_EQ(server.received().find("GET /first") != std::string::npos, true);
        EXPECT_EQ(server.received().find("GET /next") != std::string::npos, c.shown.empty());
    }
}

// The next reply may have no body at all: the redirect page must not be left in its place.
TEST(HTTPGet, FollowedRedirectEmptiesTheStream) {
    ScriptedServer server([](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send(reply("HTTP/1.1 301 Moved", "a redirect page", "Location: /next\r\n"));
        peer.readRequest();
        peer.send("HTTP/1.1 204 No Content\r\n\r\n");
        peer.clientClosed();
    });
    TNetHTTP http;
    http.HandleRedirects = true;
    TMemoryStream body;
    body.WriteBuffer("old", 3);
    http.Get(server.url("/first"), body);
    EXPECT_EQ(http.ResponseCode(), 204);
    EXPECT_EQ(body.Size(), 0);
    // A handler's target is checked as well.
    http.OnRedirect = [](TComponent*, std::string& location, int&, bool&) {
        location = "file:///etc/passwd";
    };
    ScriptedServer second([](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send(reply("HTTP/1.1 302 Found", "", "Location: /fine\r\n"));
        peer.clientClosed();
    });
    EXPECT_THROW(http.Get(second.url("/first"), body), ENetInvalidURL);
}
// A server that keeps sending, one byte at a time, never runs into the read time limit; the
// total limit ends the request all the same, and the next request gets its own time.
TEST(HTTPGet, TotalTimeoutEndsATrickle) {
    for (const std::string& head :
         {std::string("HTTP/1.1 200 OK\r\nX-Slow: "), std::string("HTTP/1.1 200 OK\r\n"
                                                                  "Content-Length: 900\r\n\r\n")}) {
        SCOPED_TRACE(head);
        ScriptedServer server(
            std::vector<ScriptedServer::Script>{[&](ScriptedPeer& peer) {
                                                    peer.readRequest();
                                                    peer.send(head);
                                                    peer.trickle(std::string(900, 'x'), 50);
                                                },
                                                answer({reply("HTTP/1.1 200 OK", "fine")})});
        TNetHTTP http;
        http.ReadTimeout = 5000;
        http.TotalTimeout = 600;
        TMemoryStream body;
        auto error = raised<ENetSocketError>([&] { http.Get(server.url("/slow"), body); });
        EXPECT_EQ(error.LastError(), 10060);
        EXPECT_FALSE(http.Connected());
        TMemoryStream next;
        http.Get(server.url("/next"), next);
        EXPECT_EQ(next.View(), "fine");
        http.Disconnect();
    }
}
