#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/MemoryStream.h"
#include "feeds/Retriever.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "tests/support/ExpectError.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestCertificates.h"

using namespace wispel;

namespace {

const std::string kFeeds = WISPEL_TEST_DATA "/feeds";

}  // namespace

TEST(TRSSRetriever, WritesTheBodyAtTheStreamsPositionAndDisconnects) {
    test::LocalHttpServer server(kFeeds);
    TRSSRetriever retriever;
    TMemoryStream stream;
    stream.WriteBuffer(">", 1);
    retriever.Retrieve(server.url("/rdf.xml"), &stream);
    TMemoryStream file;
    file.LoadFromFile(kFeeds + "/rdf.xml");
    EXPECT_EQ(stream.View(), ">" + std::string(file.View()));
    EXPECT_FALSE(retriever.HTTP()->Connected());
}

TEST(TRSSRetriever, FailedRepliesRaiseAfterTheBodyWasStored) {
    test::LocalHttpServer server(kFeeds);
    const struct {
        std::string path;
        int code;
        std::string body;
    } cases[] = {
        {"/status/404", 404, "status 404"},
        {"/redirect/6/rdf.xml", 302, "moved"},  // a sixth redirect is not followed
    };
    for (const auto& c : cases) {
        TRSSRetriever retriever;
        TMemoryStream stream;
        try {
            retriever.Retrieve(server.url(c.path), &stream);
            ADD_FAILURE() << c.path;
        } catch (const ENetProtocolReplyError& e) {
            EXPECT_EQ(e.ReplyErrorCode(), c.code);
            EXPECT_EQ(e.message().substr(0, 4), std::to_string(c.code) + " ");
        }
        EXPECT_EQ(stream.View(), c.body) << c.path;
    }
}

TEST(TRSSRetriever, EachRetrievalOpensAndClosesItsOwnConnection) {
    std::atomic<int> closedByClient{0};
    // The server keeps each connection open; only the client's close ends it.
    auto script = [&](test::ScriptedPeer& peer) {
        peer.readRequest();
        peer.send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nfeed");
        if (peer.clientClosed()) ++closedByClient;
    };
    test::ScriptedServer server(script, 2);
    TRSSRetriever retriever;
    for (int i = 0; i < 2; ++i) {
        TMemoryStream stream;
        retriever.Retrieve(server.url("/feed.xml"), &stream);
        EXPECT_EQ(stream.View(), "feed");
    }
    server.join();
    EXPECT_EQ(server.failure(), "");
    EXPECT_EQ(server.accepted(), 2);
    EXPECT_EQ(closedByClient, 2);
}

TEST(TRSSRetriever, ConnectionErrorsPassUnchanged) {
    TRSSRetriever retriever;
    TMemoryStream stream;
    const std::string url =
        "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/feed.xml";
    EXPECT_THROW(retriever.Retrieve(url, &stream), ENetSocketError);
}

TEST(TRSSRetriever, RetrievesAgainAfterAFailedReply) {
    // A failed reply leaves the connection as the exchange left it; the next retrieval, from
    // the same server or another one, still gets its own body.
    test::LocalHttpServer first(kFeeds), second(kFeeds);
    TRSSRetriever retriever;
    TMemoryStream file;
    file.LoadFromFile(kFeeds + "/rdf.xml");
    for (const test::LocalHttpServer* next : {&first, &second}) {
        TMemoryStream failed, stream;
        EXPECT_THROW(retriever.Retrieve(first.url("/status/404"), &failed), ENetProtocolReplyError);
        retriever.Retrieve(next->url("/rdf.xml"), &stream);
        EXPECT_EQ(stream.View(), file.View());
        EXPECT_FALSE(retriever.HTTP()->Connected());
    }
}

// Sources over https, and redirects between http and https: a test CA made at run time is
// trusted through SSL_CERT_FILE.
TEST(TRSSRetriever, FollowsRedirectsBetweenHttpAndHttpsOnly) {
    char pattern[] = "/tmp/wispel-retriever-tls-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    test::TestCertificates certificates(folder);
    ::setenv("SSL_CERT_FILE", certificates.ca.c_str(), 1);
    test::LocalHttpServer plain(kFeeds), secure(kFeeds, certificates.good);
    TMemoryStream file;
    file.LoadFromFile(kFeeds + "/rdf.xml");
    for (const std::string& url :
         {secure.url("/rdf.xml"), secure.url("/chunked/rdf.xml"), secure.url("/close/rdf.xml"),
          plain.url("/to/" + secure.url("/redirect/4/rdf.xml")), plain.url("/redirect/5/rdf.xml")}) {
        SCOPED_TRACE(url);
        TRSSRetriever retriever;
        TMemoryStream stream;
        retriever.Retrieve(url, &stream);
        EXPECT_EQ(stream.View(), file.View());
    }
    const struct {
        std::string url;
        std::string message;
    } failures[] = {
        {plain.url("/to/file:///etc/passwd"), "Redirect to 'file:///etc/passwd' refused."},
        {secure.url("/redirect/6/rdf.xml"),
         "302 Found: too many redirects, the last to '/rdf.xml'."},
    };
    for (const auto& c : failures) {
        SCOPED_TRACE(c.url);
        TRSSRetriever retriever;
        TMemoryStream stream;
        try {
            retriever.Retrieve(c.url, &stream);
            ADD_FAILURE() << "no error";
        } catch (const ENetException& error) {
            EXPECT_EQ(error.message(), c.message);
        }
    }
    // A certificate that fails leaves nothing to parse.
    test::LocalHttpServer expired(kFeeds, certificates.expired);
    TRSSRetriever retriever;
    TMemoryStream stream;
    EXPECT_THROW(retriever.Retrieve(expired.url("/rdf.xml"), &stream), ENetTLSError);
    EXPECT_EQ(stream.Size(), 0);
    std::filesystem::remove_all(folder);
}

// A 304 costs no body: the validators of the copy kept go out, and the reply's come back.
TEST(TRSSRetriever, ConditionalRetrievalReportsNotModified) {
    // The real server knows Last-Modified of its files.
    test::LocalHttpServer server(kFeeds);
    TRSSRetriever retriever;
    TMemoryStream first;
    const TRetrieval fetched = retriever.RetrieveIfModified(server.url("/rdf.xml"), &first, {});
    EXPECT_FALSE(fetched.NotModified);
    EXPECT_EQ(fetched.URL, server.url("/rdf.xml"));
    ASSERT_FALSE(fetched.Validator.LastModified.empty());
    TMemoryStream second;
    second.WriteBuffer("kept", 4);
    const TRetrieval again =
        retriever.RetrieveIfModified(server.url("/rdf.xml"), &second, fetched.Validator);
    EXPECT_TRUE(again.NotModified);
    EXPECT_EQ(second.View(), "kept");
    EXPECT_FALSE(retriever.HTTP()->Connected());

    // An entity tag, and stored values that would break the request head, which stay home.
    test::ScriptedServer tagged([](test::ScriptedPeer& peer) {
        std::string request = peer.readRequest();
        bool asked = request.find("If-None-Match: \"abc\"\r\n") != std::string::npos;
        peer.send(asked ? "HTTP/1.1 304 Not Modified\r\nETag: \"abc\"\r\n\r\n"
                        : "HTTP/1.1 200 OK\r\nETag: \"abc\"\r\nContent-Length: 6\r\n\r\n<rss/>");
        peer.clientClosed();
    }, 3);
    for (const TFeedValidator& stored :
         {TFeedValidator{}, TFeedValidator{"\"abc\"", ""},
          TFeedValidator{"\"abc\"\r\nX-Forged: 1", "Mon\n"}}) {
        TMemoryStream stream;
        const TRetrieval got = retriever.RetrieveIfModified(tagged.url("/feed"), &stream, stored);
        const bool sent = stored.ETag == "\"abc\"";
        EXPECT_EQ(got.NotModified, sent);
        EXPECT_EQ(stream.View(), sent ? "" : "<rss/>");
        EXPECT_EQ(got.Validator.ETag, "\"abc\"");
    }
    tagged.join();
    EXPECT_EQ(tagged.received().find("X-Forged"), std::string::npos);
    EXPECT_EQ(tagged.received().find("If-Modified-Since"), std::string::npos);
}

TEST(TRSSRetriever, AWebPageOrAnUnannouncedPackIsNoFeed) {
    test::LocalHttpServer server(kFeeds);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {"/homepage.html", "not a feed: the address answers with a web page that announces the "
                           "feed " + server.url("/rss2.xml")},
        {"/close/page.html", "not a feed: the address answers with a web page"},
        {"/to//homepage.html", "not a feed: the address answers with a web page that announces the "
                               "feed " + server.url("/rss2.xml")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        TRSSRetriever retriever;
        TMemoryStream stream;
        EXPECT_ERROR(retriever.Retrieve(server.url(c.path), &stream), ERSSNotAFeed, c.message);
    }
    test::ScriptedServer packed([](test::ScriptedPeer& peer) {
        peer.readRequest();
        peer.send(std::string("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n\x1F\x8B\x08\x00", 42));
        peer.close();
    });
    TRSSRetriever retriever;
    TMemoryStream stream;
    EXPECT_ERROR(retriever.Retrieve(packed.url("/feed.xml.gz"), &stream), ERSSNotAFeed,
                 "not a feed: the reply is gzip data without a Content-Encoding that says so");
}

// Sources that are no web address fail with their own error, and none of them is asked of
// the server the source before them reached.
TEST(TRSSRetriever, OnlyWebAddressesWithAHostAreFetched) {
    auto serve = [](test::ScriptedPeer& peer) {
        peer.readRequest();
        peer.send("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n<rss/>");
        peer.clientClosed();
    };
    test::ScriptedServer server(serve, 2);
    TRSSRetriever retriever;
    TMemoryStream stream;
    retriever.Retrieve(server.url("/first"), &stream);
    const std::string ftp = "ftp://127.0.0.1:" + std::to_string(server.port()) + "/x";
    for (const std::string& url : {std::string("file:///etc/shadow"), std::string("mailto:a@b"),
                                   std::string(), std::string("/etc/passwd"), ftp,
                                   std::string("gopher://127.0.0.1/x"),
                                   std::string("127.0.0.1:8765/feed.xml")}) {
        TMemoryStream other;
        EXPECT_ERROR(retriever.Retrieve(url, &other), ENetInvalidURL,
                     "URL '" + url + "' refused: only http and https addresses with a host are "
                     "fetched.");
        EXPECT_EQ(other.Size(), 0);
    }
    // Had any of them gone out, it would have taken the second connection.
    retriever.Retrieve(server.url("/last"), &stream);
    server.join();
    EXPECT_EQ(server.failure(), "");
    const std::string received = server.received();
    EXPECT_EQ(received.rfind("GET /first ", 0), 0u) << received;
    EXPECT_NE(received.find("GET /last "), std::string::npos) << received;
    EXPECT_EQ(received.find("GET", 4, 3), received.find("GET /last ")) << received;
}

// Threads that each own a retriever share nothing: each gets its own bodies and its own
// errors.
TEST(TRSSRetriever, RetrieversOnSeveralThreads) {
    test::LocalHttpServer server(kFeeds);
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/feed.xml";
    TMemoryStream file;
    file.LoadFromFile(kFeeds + "/rdf.xml");
    std::atomic<int> good{0}, failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            TRSSRetriever retriever;
            for (int i = 0; i < 3; ++i) {
                TMemoryStream stream;
                retriever.Retrieve(server.url("/chunked/rdf.xml"), &stream);
                if (stream.View() == file.View()) ++good;
                try {
                    retriever.Retrieve(refused, &stream);
                } catch (const ENetSocketError& error) {
                    if (error.LastError() == 10061) ++failed;
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(good, 12);
    EXPECT_EQ(failed, 12);
}
