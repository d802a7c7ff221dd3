#include "tools/wispel-fetch/FetchOutput.h"

#include "core/TerminalText.h"

namespace wispel {

void TFetchOutput::line(std::initializer_list<std::string_view> fields, std::string_view indent) {
    std::string text(indent);
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) text += '\t';
        text += escapeControls(field);
        first = false;
    }
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), out_);
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
