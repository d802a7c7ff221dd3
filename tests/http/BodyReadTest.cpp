// The three kinds of body (by length, chunked, until close) read into streams of every
// kind and state, large enough to take many receives, with framing split at awkward places.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/FileStream.h"
#include "core/MemoryStream.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "tests/support/ScriptedServer.h"

using namespace wispel;
using wispel::test::ScriptedPeer;
using wispel::test::ScriptedServer;

namespace {

// Bytes of every value, line breaks among them, that repeat only after a long stretch.
std::string bodyOf(std::size_t size) {
    std::string body(size, '\0');
    std::uint32_t state = 12345;
    for (auto& c : body) {
        state = state * 1103515245 + 12345;
        c = static_cast<char>(state >> 23);
    }
    return body;
}

std::string chunked(const std::string& body, std::size_t chunkSize,
                    const std::string& trailers = "") {
    std::string wire;
    char size[32];
    for (std::size_t at = 0; at < body.size(); at += chunkSize) {
        std::string piece = body.substr(at, chunkSize);
        std::snprintf(size, sizeof size, "%zx", piece.size());
        wire += size + std::string("\r\n") + piece + "\r\n";
    }
    return wire + "0\r\n" + trailers + "\r\n";
}

const std::string kHead = "HTTP/1.1 200 OK\r\n";

struct Reply {
    const char* name;
    std::vector<std::string> pieces;  // each its own send
    bool close;                       // the server closes after the pieces
};

std::vector<Reply> replies(const std::string& body) {
    std::string length = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    std::string chunkedHead = kHead + "Transfer-Encoding: chunked\r\n\r\n";
    std::string big = chunked(body, 400000);
    return {
        {"length", {kHead + length + body.substr(0, 1000), body.substr(1000)}, false},
        {"small chunks", {chunkedHead + chunked(body, 1000)}, false},
        {"big chunks, framing split",
         {chunkedHead + big.substr(0, 3), big.substr(3, 200003), big.substr(200006)},
         false},
        {"chunks with trailers",
         {chunkedHead + chunked(body, 70000, "X-A: 1\r\nX-B: 2\r\n")},
         false},
        {"until close", {kHead + "\r\n" + body.substr(0, 5), body.substr(5)}, true},
    };
}

// A target stream and what it holds before the body.
struct Target {
    const char* name;
    std::function<std::unique_ptr<TStream>()> make;
    std::string before;  // the content kept in front of the body
};

std::string readAll(TStream& stream) {
    std::string all(static_cast<std::size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.ReadBuffer(all.data(), stream.Size());
    return all;
}

}  // namespace

TEST(BodyRead, EveryKindIntoEveryStream) {
    const std::string body = bodyOf(1'200'000);
    const std::string path = ::testing::TempDir() + "wispel_body_" + std::to_string(::getpid());
    const Target targets[] = {
        {"empty memory stream", [] { return std::make_unique<TMemoryStream>(); }, ""},
        {"memory stream at its end",
         [] {
             auto s = std::make_unique<TMemoryStream>();
             s->WriteBuffer("prefix", 6);
             return s;
         },
         "prefix"},
        {"memory stream inside its content",
         [] {
             auto s = std::make_unique<TMemoryStream>();
             s->WriteBuffer("abcdefgh", 8);
             s->SetPosition(2);
             return s;
         },
         "ab"},
        {"file stream", [&] { return std::make_unique<TFileStream>(path, TFileMode::fmCreate); },
         ""},
    };
    for (const auto& reply : replies(body)) {
        for (const auto& target : targets) {
            SCOPED_TRACE(std::string(reply.name) + " into " + target.name);
            ScriptedServer server([&](ScriptedPeer& peer) {
                peer.readRequest();
                for (const auto& piece : reply.pieces) peer.send(piece);
                if (reply.close) peer.close();
            });
            TNetHTTP http;
            auto stream = target.make();
            http.Get(server.url(), *stream);
            EXPECT_EQ(stream->Position(), stream->Size());
            std::string all = readAll(*stream);
            EXPECT_EQ(all.size(), target.before.size() + body.size());
            EXPECT_TRUE(all == target.before + body);  // not EXPECT_EQ: a megabyte of output
        }
    }
    std::remove(path.c_str());
}

// What follows a body on a kept-alive connection, even in the same receive, belongs to the
// next reply.
TEST(BodyRead, NextReplyAfterAChunkedBodyOnTheSameConnection) {
    ScriptedServer server([](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send(kHead + "Transfer-Encoding: chunked\r\n\r\n" +
                  "1\r\na\r\n1\r\nb\r\n0\r\nX-T: 1\r\n\r\n" + kHead +
                  "Content-Length: 2\r\n\r\nok");
        peer.readRequest();
        peer.send(kHead + "Transfer-Encoding: chunked\r\n\r\n4\r");
        peer.send("\nlast\r");
        peer.send("\n0\r\n");
        peer.send("\r\n");
    });
    TNetHTTP http;
    TMemoryStream first, second, third;
    http.Get(server.url("/1"), first);
    http.Get(server.url("/2"), second);
    http.Get(server.url("/3"), third);
    EXPECT_EQ(first.View(), "ab");
    EXPECT_EQ(second.View(), "ok");
    EXPECT_EQ(third.View(), "last");
    EXPECT_TRUE(http.Connected());
}

TEST(BodyRead, ChunkedFramingLimits) {
    struct Case {
        const char* name;
        std::string wire;
        const char* errorClass;
    };
    const Case cases[] = {
        {"size line too long", std::string(200, '0') + "1\r\nx\r\n0\r\n\r\n", "ENetLineTooLong"},
        {"size line without its end", std::string(200, 'a'), "ENetLineTooLong"},
        {"too many trailers", "0\r\nA: 1\r\nB: 2\r\nC: 3\r\n\r\n", "ENetTooManyHeaders"},
        {"close inside the data", "10\r\nabc", "ENetConnClosedGracefully"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server([&](ScriptedPeer& peer) {
            peer.readRequest();
            peer.send(kHead + "Transfer-Encoding: chunked\r\n\r\n" + c.wire);
            peer.close();
        });
        TNetHTTP http;
        http.MaxLineLength = 100;
        http.MaxHeaderLines = 2;
        TMemoryStream body;
        try {
            http.Get(server.url(), body);
            ADD_FAILURE() << "no error";
        } catch (const ENetException& error) {
            EXPECT_STREQ(error.className(), c.errorClass);
        }
    }
}
