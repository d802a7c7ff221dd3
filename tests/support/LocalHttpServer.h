#pragma once
// A real HTTP server for tests: Python's http.server, started on 127.0.0.1 on a port the
// system picks, serving the files of a folder. Besides plain files it answers a few paths
// that tests of HTTP clients need:
//
//   /status/<code>           that status with the body "status <code>"
//   /redirect/<n>/<path>     302 to /redirect/<n-1>/<path>, and to /<path> when n is 1
//   /chunked/<file>          the file with chunked transfer coding, in pieces of 1000 bytes
//   /close/<file>            the file without a length, ended by closing the connection
//   /bytes/<n>               n bytes of the letter "x"
//   /echo                    the request line and header lines as the body
//   /delay/<ms>/<path>       the answer to /<path> after that many milliseconds
//   /etag/<file>             the file with ETag and Last-Modified; 304 when the request's
//                            If-None-Match (or, without it, If-Modified-Since) matches
//   /gzip/<file>             the file gzip-compressed when the request accepts gzip
//   /garbage                 bytes that are no HTTP reply, then the connection closes
//   /to/<url>                302 to <url>, as written
//
// Given a certificate (a PEM file with the chain and its key) it speaks HTTPS instead.
// The server speaks HTTP/1.1 with keep-alive. The process is stopped when the object is
// destroyed.

#include <sys/types.h>

#include <string>
#include <string_view>

namespace wispel::test {

class LocalHttpServer {
public:
    // Serves the files of `root`; raises std::runtime_error when the server does not start.
    // With `newestTls` (for example "TLSv1_1") it offers no newer protocol than that.
    explicit LocalHttpServer(const std::string& root, const std::string& certificate = "",
                             const std::string& newestTls = "");
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const noexcept { return port_; }
    // "http://127.0.0.1:<port>" (https with a certificate) followed by `path`.
    std::string url(std::string_view path = "/") const;

private:
    void stop();

    pid_t pid_ = -1;
    int port_ = 0;
    bool secure_ = false;
};

}  // namespace wispel::test
