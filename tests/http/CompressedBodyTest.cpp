// Replies sent compressed, and conditional requests: what reaches the caller's stream.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>

#include "core/MemoryStream.h"
#include "http/ContentDecoding.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "tests/support/ExpectError.h"
#include "tests/support/ScriptedServer.h"

using namespace wispel;
using wispel::test::ScriptedPeer;
using wispel::test::ScriptedServer;

namespace {

// `text` compressed: windowBits 15 + 16 makes gzip, 15 zlib-wrapped deflate, -15 raw deflate.
std::string compressed(const std::string& text, int windowBits) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, text.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string gzipped(const std::string& text) {
    return compressed(text, 15 + 16);
}

// `zeros` zero bytes gzipped as members of a mebibyte each, one after the other: a
// gigabyte packs into about a megabyte without the test packing a gigabyte.
std::string gzippedZeros(std::int64_t zeros) {
    const std::int64_t size = std::min<std::int64_t>(zeros, 1 << 20);
    const std::string member = gzipped(std::string(static_cast<std::size_t>(size), '\0'));
    std::string out;
    for (std::int64_t left = zeros; left >= size; left -= size) out += member;
    if (zeros % size != 0) out += gzipped(std::string(static_cast<std::size_t>(zeros % size), '\0'));
    return out;
}

std::string reply(const std::string& status, const std::string& headers, const std::string& body) {
    return status + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

ScriptedServer::Script answer(std::string bytes) {
    return [bytes](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send(bytes);
        peer.close();
    };
}

// A success reply whose body says it has the coding `encoding`.
ScriptedServer::Script encoded(const std::string& encoding, const std::string& body) {
    return answer(reply("HTTP/1.1 200 OK", "Content-Encoding: " + encoding + "\r\n", body));
}

const std::string kFeed = "<rss><channel><title>t</title></channel></rss>\n";

}  // namespace

TEST(CompressedBody, InflatedIntoTheStream) {
    const struct {
        std::string label;
        std::string encoding;
        std::string body;
        std::string expected;
    } cases[] = {
        {"gzip", "gzip", gzipped(kFeed), kFeed},
        {"x-gzip in capitals", "X-GZIP", gzipped(kFeed), kFeed},
        {"deflate with its zlib wrapper", "deflate", compressed(kFeed, 15), kFeed},
        {"raw deflate", "Deflate", compressed(kFeed, -15), kFeed},
        {"two gzip members", "gzip", gzipped("first ") + gzipped("second"), "first second"},
        {"identity", "identity", kFeed, kFeed},
        {"identity around gzip", "identity, gzip", gzipped(kFeed), kFeed},
        {"an empty body", "gzip", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScriptedServer server(encoded(c.encoding, c.body));
        TNetHTTP http;
        TMemoryStream stream;
        stream.WriteBuffer(">", 1);
        http.Get(server.url("/feed"), stream);
        EXPECT_EQ(stream.View(), ">" + c.expected);
        EXPECT_EQ(stream.Position(), stream.Size());
    }
}

TEST(CompressedBody, BodiesThatAreNotWhatTheySayFailClearly) {
    const std::string gz = gzipped(kFeed);
    const struct {
        std::string label;
        std::string encoding;
        std::string body;
        std::string message;
    } cases[] = {
        {"plain text said to be gzip", "gzip", kFeed,
         "The body is not valid gzip data, as its Content-Encoding says it is (incorrect header "
         "check)."},
        {"gzip cut short", "gzip", gz.substr(0, gz.size() / 2),
         "The gzip body ends before its compressed data does."},
        {"a block of no type said to be deflate", "deflate", "\x07 no block",
         "The body is not valid deflate data, as its Content-Encoding says it is (invalid block "
         "type)."},
        {"an unknown coding", "br", "whatever", "Content-Encoding 'br' is not supported."},
        {"two codings", "gzip, deflate", gz, "Content-Encoding 'gzip, deflate' is not supported."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScriptedServer server(encoded(c.encoding, c.body));
        TNetHTTP http;
        TMemoryStream stream;
        EXPECT_ERROR(http.Get(server.url("/feed"), stream), ENetContentEncodingError, c.message);
    }
}

// A failure reply's page that does not inflate is kept as it came, and the reply's own
// error is the one raised.
TEST(CompressedBody, AFailureReplyKeepsItsOwnError) {
    ScriptedServer server(
        answer(reply("HTTP/1.1 404 Not Found", "Content-Encoding: gzip\r\n", "not gzip")));
    TNetHTTP http;
    TMemoryStream stream;
    EXPECT_ERROR(http.Get(server.url("/gone"), stream), ENetProtocolReplyError, "404 Not Found");
    EXPECT_EQ(stream.View(), "not gzip");
}

// A gigabyte of zeros packs into about a megabyte: unpacking stops at the body limit, and
// memory never holds more than it.
TEST(CompressedBody, ABombStopsAtTheBodyLimit) {
    const std::string bomb = gzippedZeros(std::int64_t{1} << 30);
    ASSERT_LT(bomb.size(), 2u << 20);
    ScriptedServer server(encoded("gzip", bomb));
    TNetHTTP http;
    TMemoryStream stream;
    EXPECT_ERROR(http.Get(server.url("/bomb"), stream), ENetBodyTooLarge,
                 "Decompressed body larger than 67108864 bytes.");
    EXPECT_LE(stream.Size(), http.MaxBodySize);

    // The same limit holds for any size the caller sets, also for data inflated directly.
    TMemoryStream small;
    EXPECT_ERROR(inflateBody(gzippedZeros(100001), TContentCoding::gzip, small, 100000),
                 ENetBodyTooLarge, "Decompressed body larger than 100000 bytes.");
    EXPECT_LE(small.Size(), 100000);
    inflateBody(gzippedZeros(100000), TContentCoding::gzip, small, 100000);
}

TEST(ConditionalGet, ValidatorsAreSentAndA304IsNoError) {
    ScriptedServer server([](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send("HTTP/1.1 304 Not Modified\r\nETag: \"v2\"\r\n"
                  "Last-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n\r\n");
        peer.readRequest();
        peer.send(reply("HTTP/1.1 304 Not Modified", "", ""));
        peer.clientClosed();
    });
    TNetHTTP http;
    http.Request().IfNoneMatch = "\"v1\"";
    http.Request().IfModifiedSince = "Mon, 30 Nov 2026 09:00:00 GMT";
    TMemoryStream stream;
    http.Get(server.url("/feed"), stream);
    EXPECT_TRUE(http.NotModified());
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(http.Response().ExtraHeaders().value("ETag"), "\"v2\"");
    EXPECT_EQ(http.Response().LastModifiedText, "Tue, 01 Dec 2026 10:00:00 GMT");
    // Without a validator the same answer is a failure, as any reply outside 2xx.
    http.Request().IfNoneMatch.clear();
    http.Request().IfModifiedSince.clear();
    EXPECT_THROW(http.Get(server.url("/feed"), stream), ENetProtocolReplyError);
    EXPECT_FALSE(http.NotModified());
    http.Disconnect();
    server.join();
    EXPECT_NE(server.received().find("If-Modified-Since: Mon, 30 Nov 2026 09:00:00 GMT\r\n"
                                     "If-None-Match: \"v1\"\r\n"),
              std::string::npos)
        << server.received();
    EXPECT_EQ(server.received().find("If-", server.received().find("GET", 10)), std::string::npos);
}
