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

void TFetchOutput::item(const std::string& site, const std::string& title,
                        const std::string& link, const std::string& description) {
    if (format_ == Format::Tree) line({title, link}, "    ");
    else line({site, title, link, description}, "");
}

void TFetchOutput::site(const std::string& name, const TRSSListedItemCollection& items) {
    if (format_ == Format::Tree) line({name}, "  ");
    for (int i = 0; i < items.Count(); ++i)
        item(name, items[i]->Title, items[i]->Link, items[i]->Description);
    // What was printed stays visible even when a later source fails.
    std::fflush(out_);
}

void TFetchOutput::storedSite(const std::string& name, const std::vector<TStoredItem>& items) {
    if (format_ == Format::Tree) line({name}, "  ");
    for (const TStoredItem& stored : items) item(name, stored.Title, stored.Link, stored.Description);
    std::fflush(out_);
}

}  // namespace wispel
