#include "tablestore/engine/CheckFindings.h"

namespace wispel {

void TCheckFindings::add(std::string_view pattern, std::initializer_list<FormatArg> args) {
    if (kept_.size() < kKept) kept_.push_back(formatMessage(pattern, args));
    else ++more_;
}

std::vector<std::string> TCheckFindings::lines() const {
    std::vector<std::string> out = kept_;
    if (more_ > 0)
        out.push_back(formatMessage("... and %d more problems", {static_cast<std::int64_t>(more_)}));
    return out;
}

}  // namespace wispel
