#pragma once
// An HTTP client that reports its exchange on a text stream: status events ("* "), the
// request lines it sends ("> ") and the status and header lines it receives ("< "), each with
// its control characters escaped, so that a server cannot drive the terminal.

#include <cstdio>
#include <string>

#include "http/NetHTTP.h"

namespace wispel {

class TVerboseHTTP : public TNetHTTP {
public:
    // `log` is not owned and must outlive the client.
    explicit TVerboseHTTP(std::FILE* log);

    void WriteLine(const std::string& text) override;
    std::string ReadLine(const std::string& terminator = "", int timeLimit = kNoTimeLimit) override;

private:
    std::FILE* log_;
    bool inReplyHead_ = false;  // between a request and the empty line ending its reply head
};

}  // namespace wispel
