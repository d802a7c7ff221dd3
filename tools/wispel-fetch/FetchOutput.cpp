#include "tools/wispel-fetch/FetchOutput.h"

#include "core/TerminalText.h"

namespace wispel {

void TFetchOutput::line(std::initializer_list<std::string_view> fields, std::string_view indent) {
    // One buffer serves every line: after the first few it never grows again.
    line_.assign(indent);
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) line_ += '\t';
        appendEscapedControls(line_, field);
        first = false;
    }
    line_ += '\n';
    std::fwrite(line_.data(), 1, line_.size(), out_);
}

void TFetchOutput::begin() {
    if (format_ == Format::Tree) line({"Wispel"}, "");
    std::fflush(out_);
}

void TFetchOutput::site(const std::string& name, const TRSSListedItemCollection& items) {
    if (format_ == Format::Tree) line({name}, "  ");
    for (int i = 0; i < items.Count(); ++i) {
        const TRSSListedItem& item = *items[i];
        if (format_ == Format::Tree) {
            line({item.Title, item.Link}, "    ");
        } else {
            line({name, item.Title, item.Link, item.Description}, "");
        }
    }
    // What was printed stays visible even when a later source fails.
    std::fflush(out_);
}

}  // namespace wispel
