#include "tools/wispel-get/VerboseHTTP.h"

#include "core/TerminalText.h"

namespace wispel {

TVerboseHTTP::TVerboseHTTP(std::FILE* log) : log_(log) {
    OnStatus = [this](TComponent*, TNetStatus, const std::string& text) {
        std::fprintf(log_, "* %s\n", escapeControls(text).c_str());
    };
}

void TVerboseHTTP::WriteLine(const std::string& text) {
    if (!inReplyHead_) std::fprintf(log_, "> %s\n", escapeControls(text).c_str());
    TNetHTTP::WriteLine(text);
    // The empty line ends the request; the reply head follows.
    if (text.empty()) inReplyHead_ = true;
}

std::string TVerboseHTTP::ReadLine(const std::string& terminator, int timeLimit) {
    std::string line = TNetHTTP::ReadLine(terminator, timeLimit);
    if (inReplyHead_) {
        std::fprintf(log_, "< %s\n", escapeControls(line).c_str());
        if (line.empty()) inReplyHead_ = false;
    }
    return line;
}

}  // namespace wispel
