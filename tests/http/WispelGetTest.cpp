// The wispel-get tool as a user runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/ScriptedServer.h"

using wispel::test::ScriptedPeer;
using wispel::test::ScriptedServer;

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// `output`, when given, takes standard output instead of the file read back.
ToolRun runTool(const std::string& arguments, const std::string& output = "") {
    std::string base = "/tmp/wispel-get-test-" + std::to_string(::getpid());
    std::string command = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-get " + arguments + " >" +
                          (output.empty() ? base + ".out" : output) + " 2>" + base + ".err";
    int status = std::system(command.c_str());
    ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(base + ".out"),
                slurp(base + ".err")};
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return run;
}

ScriptedServer::Script answer(std::string bytes) {
    return [bytes](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send(bytes);
        peer.close();
    };
}

}  // namespace

TEST(WispelGet, WritesTheBodyAndReportsWithVerbose) {
    ScriptedServer server(answer("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nX-A: b\r\n\r\nhello"), 2);
    ToolRun quiet = runTool(server.url("/f"));
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "hello");
    EXPECT_EQ(quiet.err, "");

    ToolRun verbose = runTool("-v " + server.url("/f"));
    EXPECT_EQ(verbose.status, 0);
    EXPECT_EQ(verbose.out, "hello");
    for (const char* line :
         {"* Connecting to 127.0.0.1.\n", "* Connected.\n", "> GET /f HTTP/1.1\n",
          "> Host: 127.0.0.1\n", "< HTTP/1.1 200 OK\n", "< X-A: b\n", "* Not connected.\n"}) {
        EXPECT_NE(verbose.err.find(line), std::string::npos) << line << " in\n" << verbose.err;
    }
}

// The tool asks for a compressed reply and writes what it unpacks to.
TEST(WispelGet, WritesACompressedBodyUnpacked) {
    const std::string packed(
        "\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\x03\xB3\x29\x2A\x2E\xD6\xB7\xE3\x02\x00\x41"
        "\xDA\xBC\xE1\x07\x00\x00\x00",
        27);
    std::string request;
    ScriptedServer server([&](ScriptedPeer& peer) {
        request = peer.readRequest();
        peer.send("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 27\r\n\r\n" + packed);
        peer.close();
    });
    ToolRun run = runTool(server.url("/feed"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "<rss/>\n");
    server.join();
    EXPECT_NE(request.find("\r\nAccept-Encoding: gzip, deflate\r\n"), std::string::npos) << request;
}

TEST(WispelGet, ErrorsKeepTheBodyAndExitWithOne) {
    ScriptedServer server(answer("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone"));
    ToolRun missing = runTool(server.url("/x"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "gone");
    EXPECT_EQ(missing.err, "wispel-get: " + server.url("/x") + ": 404 Not Found\n");

    ScriptedServer cut(answer("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\npart"));
    ToolRun partial = runTool(cut.url("/x"));
    EXPECT_EQ(partial.status, 1);
    EXPECT_EQ(partial.out, "part");
    EXPECT_EQ(partial.err, "wispel-get: " + cut.url("/x") + ": Connection Closed Gracefully.\n");

    // One line naming the address: the socket error's line break becomes a blank.
    const std::string nobody =
        "http://127.0.0.1:" + std::to_string(wispel::test::unusedLoopbackPort());
    ToolRun refused = runTool(nobody);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "wispel-get: " + nobody + ": Socket Error # 10061 Connection refused.\n");
    EXPECT_EQ(runTool("").status, 2);
}

// Server text cannot drive the terminal: the exchange log escapes every control character.
TEST(WispelGet, VerboseLogEscapesControlCharacters) {
    ScriptedServer server(
        answer("HTTP/1.1 200 \x1B]0;owned\x07\r\nX-A: \x1B[2J\xC2\x9B\x7F\r\nContent-Length: 1\r\n\r\nx"));
    ToolRun run = runTool("-v " + server.url("/f"));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("< HTTP/1.1 200 \\x1B]0;owned\\x07\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("< X-A: \\x1B[2J\\u009B\\x7F\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x1B'), std::string::npos);
}

TEST(WispelGet, MaxTimeBoundsTheWholeRequest) {
    ScriptedServer server([](ScriptedPeer& peer) {
        peer.readRequest();
        peer.send("HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n");
        peer.trickle(std::string(500, 'x'), 40);
    });
    ToolRun run = runTool("--max-time 0.5 " + server.url("/slow"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "wispel-get: " + server.url("/slow") +
                           ": Socket Error # 10060 Connection timed out.\n");
    EXPECT_EQ(runTool("--max-time 0 " + server.url()).status, 2);
    EXPECT_EQ(runTool("--max-time " + server.url()).status, 2);
}

TEST(WispelGet, AnOutputThatCannotTakeTheBodyIsAnError) {
    ScriptedServer server(answer("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
    ToolRun run = runTool(server.url("/f"), "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "wispel-get: Cannot write to standard output: No space left on device.\n");
}
