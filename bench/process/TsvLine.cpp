#include "bench/process/TsvLine.h"

#include "core/TerminalText.h"

namespace wispel::bench {

TsvWriter::TsvWriter(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    site_ = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
}

void TsvWriter::item(std::string_view title, std::string_view link,
                     std::string_view description) {
    line_.clear();
    appendEscapedControls(line_, site_);
    for (std::string_view field : {title, link, description}) {
        line_ += '\t';
        appendEscapedControls(line_, field);
    }
    line_ += '\n';
    std::fwrite(line_.data(), 1, line_.size(), stdout);
}

}  // namespace wispel::bench
