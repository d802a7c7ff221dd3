#pragma once
// The line `wispel-fetch --tsv` writes for one item, written the same way by the peers so
// that the outputs of all three can be compared byte for byte.

#include <cstdio>
#include <string>
#include <string_view>

namespace wispel::bench {

class TsvWriter {
public:
    // `site` is the file's name without its folder, as the tool names a local source.
    explicit TsvWriter(std::string_view path);
    ~TsvWriter() { std::fflush(stdout); }

    void item(std::string_view title, std::string_view link, std::string_view description);

private:
    std::string site_;
    std::string line_;  // reused for every line
};

}  // namespace wispel::bench
