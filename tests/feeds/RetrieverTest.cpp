#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "core/MemoryStream.h"
#include "feeds/Retriever.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
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
