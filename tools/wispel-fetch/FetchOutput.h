#pragma once
// What the fetch tool prints: the news tree as the window would build it, or one line of
// tab-separated fields per item. Texts are escaped (core/TerminalText.h) so that each record
// stays on one line and no feed can drive the terminal.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "feeds/ItemModel.h"
#include "feeds/ItemsTable.h"

namespace wispel {

class TFetchOutput {
public:
    enum class Format { Tree, Tsv };

    TFetchOutput(std::FILE* out, Format format) : out_(out), format_(format) {}

    // The root node, printed before the cycle starts (the tree shows only that line).
    void begin();
    // One retrieved site with its items, in order.
    void site(const std::string& name, const TRSSListedItemCollection& items);
    // One site with its kept items, in the order given.
    void storedSite(const std::string& name, const std::vector<TStoredItem>& items);

private:
    void line(std::initializer_list<std::string_view> fields, std::string_view indent);
    void item(const std::string& site, const std::string& title, const std::string& link,
              const std::string& description);

    std::FILE* out_;  // not owned
    Format format_;
    std::string line_;  // the line being written
};

}  // namespace wispel
