#include <gtest/gtest.h>

#include <string>

#include "core/MemoryStream.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "tests/support/ScriptedServer.h"

using namespace wispel;
using wispel::test::ScriptedPeer;
using wispel::test::ScriptedServer;

namespace {

std::string okReply(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

}  // namespace

TEST(HTTPGet, ReadsABodyByLength) {
    ScriptedServer server([](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send(okReply("hello world!"));
    });
    TNetHTTP http;
    TMemoryStream body;
    http.Get(server.url("/dir/feed.xml"), body);
    EXPECT_EQ(body.View(), "hello world!");
    EXPECT_EQ(http.ResponseCode(), 200);
    EXPECT_EQ(http.ResponseText(), "200 OK");
    http.Disconnect();
    server.join();
    EXPECT_EQ(server.received(), "GET /dir/feed.xml HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                 "Accept: text/html, */*\r\n"
                                 "User-Agent: Mozilla/3.0 (compatible; Wispel)\r\n\r\n");
}
