#pragma once
// What a check of a table's files finds, one sentence each. A damaged file can hold a problem
// in every one of millions of records, so only the first `kKept` are kept (and formatted);
// the rest are counted and end the list as one line.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/Format.h"

namespace wispel {

class TCheckFindings {
public:
    static constexpr std::size_t kKept = 100;

    void add(std::string_view pattern, std::initializer_list<FormatArg> args);
    bool empty() const noexcept { return kept_.empty(); }
    // The findings kept, then "... and N more problems" when there were more.
    std::vector<std::string> lines() const;

private:
    std::vector<std::string> kept_;
    std::size_t more_ = 0;
};

}  // namespace wispel
