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

ToolRun runTool(const std::string& arguments) {
    std::string base = "/tmp/wispel-get-test-" + std::to_string(::getpid());
    std::string command = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-get " + arguments + " >" +
                          base + ".out 2>" + base + ".err";
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

TEST(WispelGet, ErrorsKeepTheBodyAndExitWithOne) {
    ScriptedServer server(answer("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone"));
    ToolRun missing = runTool(server.url("/x"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "gone");
    EXPECT_EQ(missing.err, "404 Not Found\n");

    ScriptedServer cut(answer("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\npart"));
    ToolRun partial = runTool(cut.url("/x"));
    EXPECT_EQ(partial.status, 1);
    EXPECT_EQ(partial.out, "part");
    EXPECT_EQ(partial.err, "Connection Closed Gracefully.\n");

    ToolRun refused =
        runTool("http://127.0.0.1:" + std::to_string(wispel::test::unusedLoopbackPort()));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Socket Error # 10061\r\nConnection refused.\n");
    EXPECT_EQ(runTool("").status, 2);
}
