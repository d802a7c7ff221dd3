#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "core/MemoryStream.h"
#include "feeds/Retriever.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ScriptedServer.h"

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
        {"/redirect/1/rdf.xml", 302, "moved"},  // redirects are not followed
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
